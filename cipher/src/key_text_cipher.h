// The cipher a key text selects: single DES for up to 8 characters, two-key
// triple DES (K1, K2, K1) for more, in the conventions every peer uses.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "des.h"

namespace cryptane {

// Characters of a key text past this many are never read.
inline constexpr std::size_t kKeyTextUsedLength = 2 * sizeof(DesBlock);

class KeyTextCipher {
 public:
  // Characters past kKeyTextUsedLength are ignored; a missing part of a key
  // is zero.
  explicit KeyTextCipher(std::string_view keyText);

  DesBlock Encrypt(const DesBlock& block) const;
  DesBlock Decrypt(const DesBlock& block) const;

 private:
  DesBlockCipher first_;
  std::optional<DesBlockCipher> second_;
};

enum class Direction { kEncrypt, kDecrypt };

// ECB over `input`, whose last block is taken as zero-filled when `input` is
// not a whole number of blocks; `output` receives every block of it.
void RunEcb(const KeyTextCipher& cipher, Direction direction, std::span<const std::byte> input,
            std::byte* output);

constexpr std::size_t RoundUpToBlocks(std::size_t length) {
  return (length + sizeof(DesBlock) - 1) / sizeof(DesBlock) * sizeof(DesBlock);
}

}  // namespace cryptane
