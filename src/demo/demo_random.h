// The demo's random numbers: a SplitMix64 stream with its own integer mapping, so the same
// seed gives the same database with every compiler and standard library (the distributions
// of <random> are not specified bit for bit).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace velmora::demo {

class DemoRandom {
public:
    explicit DemoRandom(uint64_t seed) : m_state(seed) {}

    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n), without the bias of a plain modulo; n > 0.
    uint64_t below(uint64_t n) {
        const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
        uint64_t v = next();
        while (v >= limit)
            v = next();
        return v % n;
    }

    // Uniform in [lo, hi].
    int64_t between(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(below(static_cast<uint64_t>(hi - lo) + 1));
    }

    // True with probability perMille / 1000.
    bool chance(unsigned perMille) { return below(1000) < perMille; }

    template <class T>
    const T& pick(const std::vector<T>& items) {
        return items[below(items.size())];
    }

    template <class T>
    void shuffle(std::vector<T>& items) {
        for (size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[below(i)]);
    }

private:
    uint64_t m_state;
};

}  // namespace velmora::demo
