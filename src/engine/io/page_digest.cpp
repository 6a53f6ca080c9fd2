#include "engine/io/page_digest.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace velmora::engine::io {

namespace {

// Bytes read at a time: whole pages, few enough reads for a file of some megabytes.
constexpr uint64_t kReadChunk = 1 << 20;

uint64_t mix(uint64_t x) {
    // The splitmix64 finaliser: spreads every input bit over the whole word, so that sums of
    // hashes of neighbouring pages do not cancel.
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebull;
    x ^= x >> 31;
    return x;
}

}  // namespace

uint64_t pageHash(uint32_t number, std::span<const uint8_t> bytes) {
    // FNV-1a over the bytes, eight lanes at a time so the loop is not one long chain.
    uint64_t lanes[8];
    for (int i = 0; i < 8; ++i)
        lanes[i] = 1469598103934665603ull + uint64_t(i);
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        for (int k = 0; k < 8; ++k)
            lanes[k] = (lanes[k] ^ bytes[i + size_t(k)]) * 1099511628211ull;
    }
    for (; i < bytes.size(); ++i)
        lanes[0] = (lanes[0] ^ bytes[i]) * 1099511628211ull;
    uint64_t h = mix(uint64_t(number) + 1) ^ mix(bytes.size());
    for (uint64_t lane : lanes)
        h = mix(h ^ lane);
    return h;
}

uint64_t quickPageHash(uint32_t number, std::span<const uint8_t> bytes) {
    // Four lanes over the page's 64-bit words: each word is xor-ed in, multiplied and rotated,
    // so that a difference in any bit reaches every bit of its lane.
    constexpr uint64_t kFactor = 0x9E3779B97F4A7C15ull;
    uint64_t lanes[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull,
                         0x082EFA98EC4E6C89ull};
    auto word = [&](size_t at) {
        uint64_t w = 0;
        std::memcpy(&w, bytes.data() + at, 8);
        if constexpr (std::endian::native == std::endian::big)
            w = __builtin_bswap64(w);  // the value is that of the little-endian word
        return w;
    };
    auto take = [&](uint64_t& lane, uint64_t w) { lane = std::rotl((lane ^ w) * kFactor, 29); };
    size_t i = 0;
    for (; i + 32 <= bytes.size(); i += 32) {
        for (size_t k = 0; k < 4; ++k)
            take(lanes[k], word(i + 8 * k));
    }
    for (; i + 8 <= bytes.size(); i += 8)
        take(lanes[0], word(i));
    for (; i < bytes.size(); ++i)
        take(lanes[1], bytes[i]);
    uint64_t h = mix(uint64_t(number) + 1) ^ mix(bytes.size());
    for (uint64_t lane : lanes)
        h = mix(h ^ lane);
    return h;
}

Result<uint64_t> fileDigest(File& file, uint32_t pageSize, PageHash hash) {
    VELMORA_ASSIGN_OR_RETURN(const uint64_t size, file.size());
    const uint64_t chunk = std::max<uint64_t>(pageSize, kReadChunk / pageSize * pageSize);
    std::vector<uint8_t> buffer(size_t(std::min(size, chunk)));
    uint64_t digest = 0;
    for (uint64_t offset = 0; offset < size; offset += chunk) {
        const size_t n = size_t(std::min(chunk, size - offset));
        const std::span<uint8_t> part(buffer.data(), n);
        VELMORA_RETURN_IF_ERROR(file.read(offset, part));
        for (size_t at = 0; at < n; at += pageSize) {
            const size_t len = std::min<size_t>(pageSize, n - at);
            digest += hash(uint32_t((offset + at) / pageSize), part.subspan(at, len));
        }
    }
    return digest;
}

}  // namespace velmora::engine::io
