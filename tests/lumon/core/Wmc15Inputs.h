// Inputs for the WMC15 tests and benchmarks, each decided by its seed: random
// bytes, text drawn from a list of words, and quote records that change a
// little from one to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace wmc15 {

inline std::vector<uint8_t> RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> b(n);
    for (auto &c : b)
        c = uint8_t(rng());
    return b;
}

// n bytes of the words in random order (the last one cut short).
template <size_t N>
std::vector<uint8_t> Words(size_t n, unsigned seed, const char *const (&words)[N])
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> b;
    while (b.size() < n) {
        const char *w = words[rng() % N];
        b.insert(b.end(), w, w + std::strlen(w));
    }
    b.resize(n);
    return b;
}

// Quote records of 124 bytes: a price that rises a little from one record to
// the next in the first 40 bytes, small numbers after.
inline std::vector<uint8_t> QuoteRecords(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> b(n);
    uint32_t price = 1000;
    for (size_t i = 0; i + 4 <= n; i += 4) {
        if (i % 124 == 0)
            price += rng() % 7;
        uint32_t v = (i % 124) < 40 ? price : uint32_t(rng() % 3);
        std::memcpy(&b[i], &v, 4);
    }
    return b;
}

} // namespace wmc15
