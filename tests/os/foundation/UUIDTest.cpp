#include "os/foundation/UUID.h"

#include <gtest/gtest.h>

#include <regex>

using namespace ns;

TEST(UUID, RandomVersionFourInUpperCase) {
    std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    for (int i = 0; i < 50; ++i) {
        std::string text = UUID::random().string();
        EXPECT_TRUE(std::regex_match(text, form)) << text;
    }
    EXPECT_NE(UUID::random(), UUID::random());
}
