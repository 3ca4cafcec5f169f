#include "os/foundation/Random.h"

#include <mutex>
#include <random>

namespace ns {

namespace {

std::mutex generatorMutex;

std::mt19937& generator() {
    static std::mt19937 engine{std::random_device{}()};
    return engine;
}

} // namespace

uint32_t Random::uniform32() {
    std::lock_guard lock(generatorMutex);
    return static_cast<uint32_t>(generator()());
}

uint32_t Random::uniform(uint32_t upperBound) {
    if (upperBound < 2) return 0;
    // Reject the low values that would make some results more likely than others.
    uint32_t threshold = static_cast<uint32_t>(-upperBound) % upperBound;
    for (;;) {
        uint32_t r = uniform32();
        if (r >= threshold) return r % upperBound;
    }
}

void Random::seed(uint64_t n) {
    std::lock_guard lock(generatorMutex);
    std::seed_seq seq{static_cast<uint32_t>(n), static_cast<uint32_t>(n >> 32)};
    generator().seed(seq);
}

} // namespace ns
