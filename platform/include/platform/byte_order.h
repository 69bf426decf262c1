// Little-endian integers at any byte address: the accessors for fixed layouts
// that reach files, the wire or another library. Byte by byte, so they are
// independent of the host's byte order and of the address's alignment.
#pragma once

#include <concepts>
#include <cstddef>

namespace platform {

template <std::unsigned_integral T>
T LoadLittleEndian(const void* at) {
  const auto* bytes = static_cast<const unsigned char*>(at);
  T value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
  return value;
}

template <std::unsigned_integral T>
void StoreLittleEndian(void* at, T value) {
  auto* bytes = static_cast<unsigned char*>(at);
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace platform
