// Replays a fuzz target over its seed corpus, then over a bounded number of
// deterministic random mutations of the seeds, so that CI exercises every parser
// with the sanitizers without needing libFuzzer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [MUTATIONS]\n", argv[0]);
        return 2;
    }
    long mutations = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1000;
    std::vector<std::vector<uint8_t>> seeds;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1], ec)) {
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (seeds.empty())
        seeds.push_back({});
    for (const auto &s : seeds)
        LLVMFuzzerTestOneInput(s.data(), s.size());

    std::mt19937 rng(12345);
    for (long i = 0; i < mutations; ++i) {
        std::vector<uint8_t> d = seeds[rng() % seeds.size()];
        int edits = 1 + rng() % 8;
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 5) {
            case 0:
                if (!d.empty()) d[rng() % d.size()] = static_cast<uint8_t>(rng());
                break;
            case 1:
                d.insert(d.begin() + (d.empty() ? 0 : rng() % (d.size() + 1)), static_cast<uint8_t>(rng()));
                break;
            case 2:
                if (!d.empty()) d.erase(d.begin() + rng() % d.size());
                break;
            case 3:
                if (!d.empty()) d.resize(rng() % d.size());
                break;
            case 4: {
                // Repeat a slice, which grows lengths and counts beyond their bounds.
                if (d.empty()) break;
                size_t a = rng() % d.size(), n = 1 + rng() % std::min<size_t>(64, d.size() - a);
                std::vector<uint8_t> slice(d.begin() + a, d.begin() + a + n);
                for (int k = 0; k < 1 + int(rng() % 16); ++k)
                    d.insert(d.begin() + a, slice.begin(), slice.end());
                break;
            }
            }
        }
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%zu seeds, %ld mutations: no fault\n", seeds.size(), mutations);
    return 0;
}
