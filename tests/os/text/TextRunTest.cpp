// Runs of text placed by a layout of their own: fonts with a label's metrics, advances, lines
// drawn through them, and where lines may break.
#include "os/text/StringDrawing.h"
#include "os/text/TextRun.h"

#include <gtest/gtest.h>

namespace {

TEST(TextRun, FontsHaveALabelsMetricsAndExactAdvances) {
    auto font = vx::text::RunFont::make("PingFang SC", 16);
    auto label = ui::Font::systemFontOfSize(16);
    EXPECT_EQ(font->height(), label->lineHeight()) << "an unknown family is the system font";
    EXPECT_EQ(font->ascent(), label->ascender());
    EXPECT_GT(font->xHeight(), 4);
    EXPECT_LT(font->xHeight(), 12);
    EXPECT_EQ(font->width("汉字"), 32) << "Chinese characters are one em wide";
    EXPECT_EQ(font->width(""), 0);
    double latin = font->width("Network error");
    EXPECT_EQ(latin, vx::text::sizeWithAttributes("Network error", {{ns::FontAttributeName, ns::Value(label)}}).width);
    EXPECT_EQ(font->width("Network error"), latin) << "the same answer from the cache";
    EXPECT_GT(vx::text::RunFont::make("Noto Sans CJK SC", 16, 700)->width("Network error"), latin) << "bold is wider";
    EXPECT_EQ(vx::text::RunFont::make("x", -5)->width("字"), 0);
    EXPECT_EQ(font->width("\xFF"), font->width("\xEF\xBF\xBD")) << "a stray byte measures as U+FFFD";
}

TEST(TextRun, LinesBreakBetweenChineseCharactersButNotBeforeClosingPunctuation) {
    // "中文，「测试」 ab-cd": byte offsets of each character.
    std::string s = "中文，「测试」 ab-cd";
    auto breaks = vx::text::lineBreakOffsets(s);
    auto has = [&](size_t offset) { return std::find(breaks.begin(), breaks.end(), offset) != breaks.end(); };
    EXPECT_TRUE(has(3)) << "between 中 and 文";
    EXPECT_FALSE(has(6)) << "not before the comma";
    EXPECT_TRUE(has(9)) << "after the comma, before the opening bracket";
    EXPECT_FALSE(has(12)) << "not after the opening bracket";
    EXPECT_FALSE(has(18)) << "not before the closing bracket";
    EXPECT_TRUE(has(22)) << "after the space";
    EXPECT_TRUE(has(25)) << "after the hyphen";
    EXPECT_TRUE(vx::text::lineBreakOffsets("").empty());
    // Offsets are of the bytes given, a stray byte counting as one.
    auto stray = vx::text::lineBreakOffsets("中\xFF文");
    EXPECT_EQ(stray, (std::vector<size_t>{3, 4}));
}

TEST(TextRun, DrawsAtItsBaselineWithItsLines) {
    auto context = cg::Context::CreateBitmap(nullptr, 100, 40, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    context->TranslateCTM(0, 40);
    context->ScaleCTM(1, -1);
    auto font = vx::text::RunFont::make("Noto Sans CJK SC", 16);
    auto inkRows = [&] {
        std::vector<int> rows;
        for (int y = 0; y < 40; ++y) {
            int n = 0;
            for (int x = 0; x < 100; ++x) n += static_cast<const uint8_t*>(context->data())[y * context->bytesPerRow() + x * 4 + 3] > 128;
            rows.push_back(n);
        }
        return rows;
    };
    font->draw(*context, {2, 30}, "一", {0, 0, 0, 1});
    auto plain = inkRows();
    for (int y = 31; y < 40; ++y) EXPECT_EQ(plain[y], 0) << "nothing below the baseline of 一";
    font->draw(*context, {2, 30}, "一", {0, 0, 0, 1}, vx::text::RunUnderline);
    auto underlined = inkRows();
    int below = 0;
    for (int y = 31; y < 40; ++y) below += underlined[y];
    EXPECT_GE(below, 14) << "a line under the character's width";
}

} // namespace
