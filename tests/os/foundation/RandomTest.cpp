#include "os/foundation/Random.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace ns;

TEST(Random, SeedMakesTheSequenceRepeatable) {
    Random::seed(42);
    std::vector<uint32_t> first;
    for (int i = 0; i < 8; ++i) first.push_back(Random::uniform32());
    Random::seed(42);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Random::uniform32(), first[i]);
    EXPECT_GT(std::set<uint32_t>(first.begin(), first.end()).size(), 1u);
}

TEST(Random, UniformStaysBelowTheBoundAndReachesEveryValue) {
    Random::seed(7);
    std::set<uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        uint32_t r = Random::uniform(120);
        ASSERT_LT(r, 120u);
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 120u);
    EXPECT_EQ(Random::uniform(0), 0u);
    EXPECT_EQ(Random::uniform(1), 0u);
    for (int i = 0; i < 100; ++i) ASSERT_LT(Random::uniform(0x80000001u), 0x80000001u);
}
