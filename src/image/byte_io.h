#pragma once
// Little-endian bytes of picture files: bounds-checked reads of a file held
// in memory (any read past the end raises Error("<kind>: cut short")), and
// appending integers to a file being written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "base/little_endian.h"
#include "platform/error.h"

namespace qi {

class TByteReader {
public:
    // kind names the format in errors: "not a readable targa picture".
    TByteReader(const std::string& bytes, std::string kind)
        : data_(reinterpret_cast<const uint8_t*>(bytes.data())), size_(bytes.size()), kind_(std::move(kind)) {}
    TByteReader(const uint8_t* data, size_t size, std::string kind)
        : data_(data), size_(size), kind_(std::move(kind)) {}

    size_t Size() const { return size_; }
    // count bytes at offset at, all inside the data.
    const uint8_t* Bytes(size_t at, size_t count) const {
        if (at > size_ || count > size_ - at) Fail("cut short");
        return data_ + at;
    }
    uint8_t U8(size_t at) const { return *Bytes(at, 1); }
    uint16_t U16(size_t at) const { return LoadLe<uint16_t>(Bytes(at, 2)); }
    uint32_t U32(size_t at) const { return LoadLe<uint32_t>(Bytes(at, 4)); }
    int32_t I32(size_t at) const { return LoadLe<int32_t>(Bytes(at, 4)); }

    [[noreturn]] void Fail(const std::string& what) const { throw Error(kind_ + ": " + what); }

private:
    const uint8_t* data_;
    size_t size_;
    std::string kind_;
};

inline void AppendLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

}  // namespace qi
