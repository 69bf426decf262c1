// The cipher library's functions over the engine's strings and byte arrays.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gatelin {

using RandomBlock = std::array<unsigned char, 8>;

std::optional<RandomBlock> RandomBytes();
std::optional<int> RandomNumber();
std::string Base64(const unsigned char* bytes, std::size_t length);
// nullopt when the text is not base64.
std::optional<std::vector<unsigned char>> FromBase64(std::string_view text);
// The whole deciphered blocks of `cipherText` under `keyText`.
std::optional<std::vector<unsigned char>> Decipher(const std::vector<unsigned char>& cipherText,
                                                   const std::string& keyText);

}  // namespace gatelin
