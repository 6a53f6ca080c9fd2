// Little-endian fixed-width coding: every integer in a Jet file is little-endian.
// Readers take a byte span and an offset and never read past the span (the caller checks
// bounds first; the asserts document that contract).
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace velmora::engine {

using Bytes = std::span<const uint8_t>;
using MutableBytes = std::span<uint8_t>;

inline uint8_t getU8(Bytes b, size_t off) {
    assert(off < b.size());
    return b[off];
}
inline uint16_t getU16(Bytes b, size_t off) {
    assert(off + 2 <= b.size());
    return static_cast<uint16_t>(b[off] | (b[off + 1] << 8));
}
inline uint32_t getU24(Bytes b, size_t off) {
    assert(off + 3 <= b.size());
    return uint32_t(b[off]) | (uint32_t(b[off + 1]) << 8) | (uint32_t(b[off + 2]) << 16);
}
inline uint32_t getU32(Bytes b, size_t off) {
    assert(off + 4 <= b.size());
    return uint32_t(b[off]) | (uint32_t(b[off + 1]) << 8) | (uint32_t(b[off + 2]) << 16) |
           (uint32_t(b[off + 3]) << 24);
}
inline uint64_t getU64(Bytes b, size_t off) {
    return uint64_t(getU32(b, off)) | (uint64_t(getU32(b, off + 4)) << 32);
}
inline int16_t getI16(Bytes b, size_t off) {
    return static_cast<int16_t>(getU16(b, off));
}
inline int32_t getI32(Bytes b, size_t off) {
    return static_cast<int32_t>(getU32(b, off));
}
inline int64_t getI64(Bytes b, size_t off) {
    return static_cast<int64_t>(getU64(b, off));
}
inline float getF32(Bytes b, size_t off) {
    uint32_t bits = getU32(b, off);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
inline double getF64(Bytes b, size_t off) {
    uint64_t bits = getU64(b, off);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void putU8(MutableBytes b, size_t off, uint8_t v) {
    assert(off < b.size());
    b[off] = v;
}
inline void putU16(MutableBytes b, size_t off, uint16_t v) {
    assert(off + 2 <= b.size());
    b[off] = uint8_t(v);
    b[off + 1] = uint8_t(v >> 8);
}
inline void putU24(MutableBytes b, size_t off, uint32_t v) {
    assert(off + 3 <= b.size());
    b[off] = uint8_t(v);
    b[off + 1] = uint8_t(v >> 8);
    b[off + 2] = uint8_t(v >> 16);
}
inline void putU32(MutableBytes b, size_t off, uint32_t v) {
    assert(off + 4 <= b.size());
    for (int i = 0; i < 4; ++i)
        b[off + i] = uint8_t(v >> (8 * i));
}
inline void putU64(MutableBytes b, size_t off, uint64_t v) {
    putU32(b, off, uint32_t(v));
    putU32(b, off + 4, uint32_t(v >> 32));
}
inline void putF32(MutableBytes b, size_t off, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    putU32(b, off, bits);
}
inline void putF64(MutableBytes b, size_t off, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    putU64(b, off, bits);
}

}  // namespace velmora::engine
