// Little-endian fields of fixed byte layouts (files, wire records, packed
// blocks), read and written through memcpy so that no access is unaligned.
#pragma once

#include <bit>
#include <concepts>
#include <cstring>

namespace platform {

template <std::unsigned_integral T>
constexpr T ReverseBytes(T value) {
  T reversed = 0;
  for (unsigned i = 0; i < sizeof(T); ++i) {
    reversed = static_cast<T>((reversed << 8) | (value & 0xFF));
    value = static_cast<T>(value >> 8);
  }
  return reversed;
}

template <std::unsigned_integral T>
T LoadLittleEndian(const void* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  if constexpr (std::endian::native == std::endian::big) value = ReverseBytes(value);
  return value;
}

template <std::unsigned_integral T>
void StoreLittleEndian(void* at, T value) {
  if constexpr (std::endian::native == std::endian::big) value = ReverseBytes(value);
  std::memcpy(at, &value, sizeof value);
}

}  // namespace platform
