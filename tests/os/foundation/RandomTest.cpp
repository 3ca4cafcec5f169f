#include "os/foundation/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace ns;

TEST(Random, SeededUniformStaysBelowTheBoundReachesEveryValueAndRepeats) {
    Random::seed(7);
    std::vector<uint32_t> drawn;
    for (int i = 0; i < 2000; ++i) drawn.push_back(Random::uniform(120));
    EXPECT_LT(*std::max_element(drawn.begin(), drawn.end()), 120u);
    EXPECT_EQ(std::set<uint32_t>(drawn.begin(), drawn.end()).size(), 120u);
    Random::seed(7); // the same seed, the same sequence
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Random::uniform(120), drawn[i]) << i;
    EXPECT_EQ(Random::uniform(0), 0u);
    EXPECT_EQ(Random::uniform(1), 0u);
    for (int i = 0; i < 100; ++i) ASSERT_LT(Random::uniform(0x80000001u), 0x80000001u);
}
