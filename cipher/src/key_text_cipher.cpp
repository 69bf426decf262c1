#include "key_text_cipher.h"

#include <algorithm>
#include <cstring>

namespace cryptane {
namespace {

// Part 0 is K1, part 1 is K2; so characters past the 16th never count.
DesBlock KeyPart(std::string_view keyText, std::size_t part) {
  DesBlock key{};
  const std::size_t begin = part * key.size();
  if (begin < keyText.size())
    std::memcpy(key.data(), keyText.data() + begin, std::min(key.size(), keyText.size() - begin));
  return key;
}

std::optional<DesBlockCipher> SecondKey(std::string_view keyText) {
  if (keyText.size() <= sizeof(DesBlock)) return std::nullopt;
  return DesBlockCipher(KeyPart(keyText, 1), kCryptaneDes);
}

}  // namespace

KeyTextCipher::KeyTextCipher(std::string_view keyText)
    : first_(KeyPart(keyText, 0), kCryptaneDes), second_(SecondKey(keyText)) {}

DesBlock KeyTextCipher::Encrypt(const DesBlock& block) const {
  if (!second_) return first_.Encrypt(block);
  return first_.Encrypt(second_->Decrypt(first_.Encrypt(block)));
}

DesBlock KeyTextCipher::Decrypt(const DesBlock& block) const {
  if (!second_) return first_.Decrypt(block);
  return first_.Decrypt(second_->Encrypt(first_.Decrypt(block)));
}

void RunEcb(const KeyTextCipher& cipher, Direction direction, std::span<const std::byte> input,
            std::byte* output) {
  for (std::size_t offset = 0; offset < input.size(); offset += sizeof(DesBlock)) {
    DesBlock block{};
    std::memcpy(block.data(), input.data() + offset, std::min(block.size(), input.size() - offset));
    block = direction == Direction::kEncrypt ? cipher.Encrypt(block) : cipher.Decrypt(block);
    std::memcpy(output + offset, block.data(), block.size());
  }
}

}  // namespace cryptane
