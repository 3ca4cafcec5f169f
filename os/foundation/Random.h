#pragma once
// arc4random stand-in: uniform 32-bit numbers from one process-wide generator, seedable for tests.

#include <cstdint>

namespace ns {

class Random {
public:
    static uint32_t uniform32();
    // 0 <= n < upperBound without modulo bias; 0 when upperBound is 0.
    static uint32_t uniform(uint32_t upperBound);
    // Makes the sequence repeatable from here on.
    static void seed(uint64_t n);
};

} // namespace ns
