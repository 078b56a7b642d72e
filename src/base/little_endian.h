#pragma once
// Integers stored least significant byte first, as every file format of the
// system stores them. Bytes defaults to the size of T; fewer bytes read or
// write only the low part (24-bit pixels).
#include <cstdint>
#include <type_traits>

namespace qi {

template <typename T, int Bytes = sizeof(T)>
constexpr T LoadLe(const uint8_t* p) {
    std::make_unsigned_t<T> value = 0;
    for (int i = Bytes - 1; i >= 0; --i) value = static_cast<std::make_unsigned_t<T>>(value << 8 | p[i]);
    return static_cast<T>(value);
}

template <typename T, int Bytes = sizeof(T)>
constexpr void StoreLe(uint8_t* p, T value) {
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (int i = 0; i < Bytes; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace qi
