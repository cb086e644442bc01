#include "platform/win/Random.h"

#include <atomic>
#include <cstdint>

namespace win {
namespace {

std::atomic<uint32_t> state{1};

} // namespace

void srand(unsigned int seed) { state.store(seed); }

int rand()
{
    // The classic linear congruential generator; the step is atomic so that
    // threads drawing at once each get a number of the one sequence.
    uint32_t x = state.load();
    uint32_t next;
    do {
        next = x * 214013u + 2531011u;
    } while (!state.compare_exchange_weak(x, next));
    return int((next >> 16) & 0x7FFF);
}

} // namespace win
