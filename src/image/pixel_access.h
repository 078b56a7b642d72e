#pragma once
// Raw pixel access inside a row at each storage bit count, shared by the
// surface's operations and the codecs. Not part of the surface's interface.
#include <cstdint>

#include "base/little_endian.h"

namespace qi::pixels {

// The 4 x 4 ordered-dither matrix: cell values 0 .. 15.
inline constexpr uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

template <int Bits>
inline uint32_t Get(const uint8_t* row, int x) {
    if constexpr (Bits == 1) {
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    } else if constexpr (Bits == 4) {
        return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
    } else if constexpr (Bits == 8) {
        return row[x];
    } else {
        return LoadLe<uint32_t, Bits / 8>(row + Bits / 8 * x);
    }
}

template <int Bits>
inline void Put(uint8_t* row, int x, uint32_t v) {
    if constexpr (Bits == 1) {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        if (v & 1) {
            row[x >> 3] |= bit;
        } else {
            row[x >> 3] &= static_cast<uint8_t>(~bit);
        }
    } else if constexpr (Bits == 4) {
        uint8_t& b = row[x >> 1];
        if (x & 1) {
            b = static_cast<uint8_t>((b & 0xF0) | (v & 0x0F));
        } else {
            b = static_cast<uint8_t>((b & 0x0F) | (v & 0x0F) << 4);
        }
    } else if constexpr (Bits == 8) {
        row[x] = static_cast<uint8_t>(v);
    } else {
        StoreLe<uint32_t, Bits / 8>(row + Bits / 8 * x, v);
    }
}

// Runs body.template operator()<Bits>() for a storage bit count.
template <typename Body>
void ByBits(int bitCount, Body&& body) {
    switch (bitCount) {
        case 1: body.template operator()<1>(); break;
        case 4: body.template operator()<4>(); break;
        case 8: body.template operator()<8>(); break;
        case 16: body.template operator()<16>(); break;
        case 24: body.template operator()<24>(); break;
        case 32: body.template operator()<32>(); break;
        default: break;
    }
}

}  // namespace qi::pixels
