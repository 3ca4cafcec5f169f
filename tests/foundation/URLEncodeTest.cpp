#include "foundation/URLEncode.h"

#include "os/foundation/FileManager.h"
#include "os/foundation/Random.h"
#include "os/foundation/Strings.h"
#include "tests/support/Environment.h"

#include <cmath>

namespace {

using URLEncodeTest = vx::test::SandboxTest;

TEST_F(URLEncodeTest, TextTests) {
    EXPECT_TRUE(URLEncode::isURL("a_b://")); // the pattern's own rules are the Strings tests'
    EXPECT_FALSE(URLEncode::isURL("see http://x"));
    EXPECT_FALSE(URLEncode::isURL(std::nullopt));
    EXPECT_TRUE(URLEncode::isNumber("1.2.3"));
    EXPECT_FALSE(URLEncode::isNumber("-1"));
    EXPECT_FALSE(URLEncode::isNumber(""));
    EXPECT_FALSE(URLEncode::isNumber(std::nullopt));
    EXPECT_EQ(URLEncode::trimmedWhitespaceAndNewlineString(" \t\n 福利 内容\u3000\r\n"), "福利 内容");
}

TEST_F(URLEncodeTest, OrderNumberAndTimestampFollowTheClock) {
    ns::Random::seed(42);
    uint32_t expectedRandom = (ns::Random::uniform32() + 1000u) % 10000u;
    ns::Random::seed(42);
    EXPECT_EQ(URLEncode::getOrderNumber(), "1700000000000" + std::to_string(expectedRandom));
    advance(0.6); // rounded, not cut
    EXPECT_EQ(URLEncode::getNowTimeTimestamp(), "1700000001");
}

TEST_F(URLEncodeTest, PriceAttributeGivesTheFirstCharacterTheFont) {
    auto font = ui::Font::systemFontOfSize(20);
    auto price = URLEncode::getPriceAttribute("¥12", font);
    ASSERT_EQ(price.runs().size(), 2u);
    EXPECT_EQ(price.runs()[0].range, (ns::Range{0, 1}));
    EXPECT_EQ(price.runs()[0].attributes[ns::FontAttributeName].object(), font);
    EXPECT_TRUE(price.runs()[1].attributes.empty());
    EXPECT_EQ(URLEncode::getPriceAttribute("😀1", font).runs()[0].range, (ns::Range{0, 2}));
    EXPECT_EQ(URLEncode::getPriceAttribute(std::nullopt, font).length16(), 0u);
}

TEST_F(URLEncodeTest, HeightOfWrappedTextInWholePoints) {
    double one = URLEncode::getHeightWithText("评论", 300, 13);
    EXPECT_EQ(one, std::ceil(ui::Font::systemFontOfSize(13)->lineHeight()));
    EXPECT_EQ(URLEncode::getHeightWithText(std::nullopt, 300, 13), one); // the placeholder: one line
    EXPECT_EQ(URLEncode::getHeightWithText("", 300, 0), one);            // size 13 when 0 or less
    std::string longText;
    for (int i = 0; i < 60; ++i) longText += "长";
    double wrapped = URLEncode::getHeightWithText(longText, 100, 13);
    EXPECT_GT(wrapped, 3 * one);
    EXPECT_EQ(wrapped, std::ceil(wrapped));
}

TEST_F(URLEncodeTest, SdkBundleIsVOZUVWhenPresentElseTheMainBundle) {
    EXPECT_EQ(URLEncode::getSdkBundle()->bundlePath(), ns::Bundle::main()->bundlePath());
    ns::FileManager::defaultManager().createDirectory(bundlePath() + "/VOZUV.bundle", true);
    EXPECT_EQ(ns::str::lastPathComponent(URLEncode::getSdkBundle()->bundlePath()), "VOZUV.bundle");
}

} // namespace
