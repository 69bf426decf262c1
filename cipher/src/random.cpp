#include "random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "key_text_cipher.h"

namespace cryptane {

std::optional<int> DrawRandomNumber() {
  std::uint16_t bits = 0;
  for (;;) {
    const ssize_t got = getrandom(&bits, sizeof bits, 0);
    if (got == static_cast<ssize_t>(sizeof bits)) break;
    if (got < 0 && errno == EINTR) continue;
    return std::nullopt;
  }
  // 15 of 16 uniform bits: uniform over 0 to 32767.
  return bits & kRandomMax;
}

std::optional<DesBlock> DrawRandomBlock() {
  const std::optional<int> number = DrawRandomNumber();
  if (!number) return std::nullopt;
  char text[16] = {};
  std::snprintf(text, sizeof text, "%d", *number);
  DesBlock block{};
  std::memcpy(block.data(), text, block.size());
  const KeyTextCipher cipher(kRandomBytesKeyText.substr(0, kRandomBytesKeyLength));
  return cipher.Encrypt(block);
}

}  // namespace cryptane
