// The library's C interface: argument checks and the caller's buffers around
// the cipher, base64 and random parts. Nothing here throws or allocates.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "base64.h"
#include "cipher/Cryptane.h"
#include "key_text_cipher.h"
#include "random.h"

namespace {

using cryptane::Direction;

int RunCipher(Direction direction, const unsigned char* input, int inputLength,
              unsigned char* output, int* outputLength, const char* keyText) {
  if (!input || !output || !outputLength || !keyText || inputLength <= 0) return 0;
  const std::size_t length = static_cast<std::size_t>(inputLength);
  const std::size_t rounded = cryptane::RoundUpToBlocks(length);
  if (rounded > INT_MAX) return 0;
  const cryptane::KeyTextCipher cipher(
      std::string_view(keyText, strnlen(keyText, cryptane::kKeyTextUsedLength)));
  auto* out = reinterpret_cast<std::byte*>(output);
  cryptane::RunEcb(cipher, direction, std::as_bytes(std::span(input, length)), out);
  *outputLength = direction == Direction::kEncrypt
                      ? static_cast<int>(rounded)
                      : static_cast<int>(std::find(out, out + rounded, std::byte{0}) - out);
  return 1;
}

}  // namespace

extern "C" {

int xDecryptData(const unsigned char* input, int inputLength, unsigned char* output,
                 int* outputLength, const char* keyText) {
  return RunCipher(Direction::kDecrypt, input, inputLength, output, outputLength, keyText);
}

int xEncryptData(const unsigned char* input, int inputLength, unsigned char* output,
                 int* outputLength, const char* keyText) {
  return RunCipher(Direction::kEncrypt, input, inputLength, output, outputLength, keyText);
}

int xGenRandom(int* value) {
  if (!value) return 0;
  const std::optional<int> number = cryptane::DrawRandomNumber();
  if (!number) return 0;
  *value = *number;
  return 1;
}

int xGenRandom8Bytes(unsigned char* output) {
  if (!output) return 0;
  const std::optional<cryptane::DesBlock> block = cryptane::DrawRandomBlock();
  if (!block) return 0;
  std::memcpy(output, block->data(), block->size());
  return 1;
}

int xPEMDecode(const char* text, int textLength, unsigned char* output, int* outputLength) {
  if (!text || !output || !outputLength || textLength < 0) return 0;
  const std::optional<std::size_t> decoded =
      cryptane::Base64Decode(std::string_view(text, static_cast<std::size_t>(textLength)),
                             reinterpret_cast<std::byte*>(output));
  if (!decoded) return 0;
  *outputLength = static_cast<int>(*decoded);
  return 1;
}

int xPEMEncode(const unsigned char* input, int inputLength, char* text, int* outputLength) {
  if (!input || !text || !outputLength || inputLength < 0) return 0;
  const std::size_t length = static_cast<std::size_t>(inputLength);
  if (cryptane::Base64EncodedLength(length) > INT_MAX) return 0;
  cryptane::Base64Encode(std::as_bytes(std::span(input, length)), text);
  *outputLength = static_cast<int>(cryptane::Base64EncodedLength(length));
  return 1;
}

}  // extern "C"
