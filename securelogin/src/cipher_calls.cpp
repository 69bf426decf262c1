#include "cipher_calls.h"

#include <climits>

#include "cipher/Cryptane.h"

namespace gatelin {

std::optional<RandomBlock> RandomBytes() {
  RandomBlock block{};
  if (!xGenRandom8Bytes(block.data())) return std::nullopt;
  return block;
}

std::optional<int> RandomNumber() {
  int value = 0;
  if (!xGenRandom(&value)) return std::nullopt;
  return value;
}

std::string Base64(const unsigned char* bytes, std::size_t length) {
  std::string text((length + 2) / 3 * 4, '\0');
  int written = 0;
  if (length > INT_MAX / 2 || !xPEMEncode(bytes, static_cast<int>(length), text.data(), &written)) return {};
  text.resize(static_cast<std::size_t>(written));
  return text;
}

std::optional<std::vector<unsigned char>> FromBase64(std::string_view text) {
  if (text.size() > INT_MAX / 2) return std::nullopt;
  std::vector<unsigned char> bytes(text.size() / 4 * 3 + 3, 0);
  int decoded = 0;
  if (!xPEMDecode(text.data(), static_cast<int>(text.size()), bytes.data(), &decoded)) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(decoded));
  return bytes;
}

std::optional<std::vector<unsigned char>> Decipher(const std::vector<unsigned char>& cipherText,
                                                   const std::string& keyText) {
  if (cipherText.empty() || cipherText.size() > INT_MAX / 2) return std::nullopt;
  std::vector<unsigned char> plain((cipherText.size() + 7) / 8 * 8, 0);
  int textLength = 0;
  if (!xDecryptData(cipherText.data(), static_cast<int>(cipherText.size()), plain.data(), &textLength,
                    keyText.c_str())) {
    return std::nullopt;
  }
  return plain;
}

}  // namespace gatelin
