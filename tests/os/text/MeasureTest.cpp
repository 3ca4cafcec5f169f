// Fonts and text measurement: whole line heights, wrapping of Chinese and Latin text, line limits.
#include "os/text/StringDrawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using ui::Font;

ns::Dictionary withFont(const ui::FontRef& font) { return ns::Dictionary{{ns::FontAttributeName, ns::Value(font)}}; }

// Height of the text at a width with line-fragment origin (what the screens measure).
double heightAt(const std::string& text, double width, const ui::FontRef& font) {
    return vx::text::boundingRect(text, {width, 1e9}, vx::text::UsesLineFragmentOrigin, withFont(font)).size.height;
}

std::string repeat(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

TEST(Font, MetricsAreWholePointsForEverySizeAndWeight) {
    for (double size = 10; size <= 24; size += 1) {
        for (double weight : {ui::FontWeight::Regular, ui::FontWeight::Medium, ui::FontWeight::Semibold,
                              ui::FontWeight::Bold}) {
            auto font = Font::systemFontOfSize(size, weight);
            EXPECT_EQ(font->lineHeight(), std::floor(font->lineHeight())) << size;
            EXPECT_EQ(font->ascender(), std::floor(font->ascender())) << size;
            EXPECT_LT(font->descender(), 0) << size;
            EXPECT_EQ(font->lineHeight(), font->ascender() - font->descender());
            // Close to the face's natural height (1.448 em).
            EXPECT_NEAR(font->lineHeight(), size * 1.448, 0.5) << size;
        }
    }
    // Pinned: the system font's line heights must not move with the machine's other fonts.
    EXPECT_EQ(Font::systemFontOfSize(13)->lineHeight(), 19);
    EXPECT_EQ(Font::systemFontOfSize(16)->lineHeight(), 23);
    EXPECT_EQ(Font::boldSystemFontOfSize(16)->lineHeight(), 23);
}

TEST(Font, FacesAndNames) {
    EXPECT_EQ(Font::systemFontOfSize(14)->familyName(), "Noto Sans CJK SC");
    EXPECT_EQ(Font::systemFontOfSize(14)->fontName(), "NotoSansCJKsc-Regular");
    EXPECT_EQ(Font::boldSystemFontOfSize(14)->fontName(), "NotoSansCJKsc-Bold");
    // Only regular and bold faces exist: medium draws regular, semibold draws bold.
    EXPECT_EQ(Font::systemFontOfSize(14, ui::FontWeight::Medium)->fontName(), "NotoSansCJKsc-Regular");
    EXPECT_EQ(Font::systemFontOfSize(14, ui::FontWeight::Semibold)->fontName(), "NotoSansCJKsc-Bold");

    auto unknown = Font::fontWithName("PingFangSC-Medium", 15);
    EXPECT_EQ(unknown->familyName(), "Noto Sans CJK SC");
    EXPECT_EQ(unknown->pointSize(), 15);
    auto bold = Font::fontWithName("NotoSansCJKsc-Bold", 12);
    EXPECT_TRUE(bold->isEqual(*Font::boldSystemFontOfSize(12)));
    EXPECT_FALSE(bold->isEqual(*Font::systemFontOfSize(12)));
    const std::string message = "Network error, please try again"; // the bold face is wider
    EXPECT_GT(vx::text::sizeWithAttributes(message, withFont(Font::boldSystemFontOfSize(16))).width,
              vx::text::sizeWithAttributes(message, withFont(Font::systemFontOfSize(16))).width);
}

TEST(Measure, ChineseTakesOneEmPerCharacterAndWrapsBetweenAnyTwo) {
    auto font = Font::systemFontOfSize(13);
    const std::string line = "你好世界";
    cg::Rect one = vx::text::boundingRect(line, {300, 1e9}, vx::text::UsesLineFragmentOrigin, withFont(font));
    EXPECT_EQ(one.origin, cg::PointZero);
    EXPECT_DOUBLE_EQ(one.size.width, 4 * 13);
    EXPECT_EQ(one.size.height, font->lineHeight());

    // 20 characters of 13 points at a width of 100: 7 per line (91 <= 100 < 104), so 3 lines.
    const std::string twenty = repeat("中文字符测试", 3) + "再见";
    cg::Rect wrapped = vx::text::boundingRect(twenty, {100, 1e9}, vx::text::UsesLineFragmentOrigin, withFont(font));
    EXPECT_EQ(wrapped.size.height, 3 * font->lineHeight());
    EXPECT_DOUBLE_EQ(wrapped.size.width, 7 * 13);
}

TEST(Measure, LatinWrapsAtSpacesAndBreaksWordsLongerThanTheLine) {
    auto font = Font::systemFontOfSize(16);
    double hello = vx::text::sizeWithAttributes("hello world", withFont(font)).width;
    double full = vx::text::sizeWithAttributes("hello world again", withFont(font)).width;
    ASSERT_LT(hello, full);
    double width = (hello + full) / 2;
    cg::Rect r = vx::text::boundingRect("hello world again", {width, 1e9}, vx::text::UsesLineFragmentOrigin, withFont(font));
    EXPECT_EQ(r.size.height, 2 * font->lineHeight());
    EXPECT_NEAR(r.size.width, hello, 6); // the first line is "hello world" (its trailing space aside)

    // One word much wider than the line still wraps, between characters.
    const std::string word = repeat("abcdefghij", 6);
    cg::Rect w = vx::text::boundingRect(word, {100, 1e9}, vx::text::UsesLineFragmentOrigin, withFont(font));
    EXPECT_GE(w.size.height, 3 * font->lineHeight());
    EXPECT_LE(w.size.width, 100);
}

TEST(Measure, LongerTextAtNarrowerWidthsTakesMoreWholeLines) {
    auto font = Font::systemFontOfSize(13);
    const std::string text = "这是一段比较长的评论内容，用来测试换行。This comment mixes Chinese and English words.";
    double previous = 0;
    for (double width : {1000.0, 300.0, 150.0, 80.0}) {
        double h = heightAt(text, width, font);
        EXPECT_GE(h, previous);
        // Whole lines only: integer truncation of the height keeps every line.
        EXPECT_EQ(std::fmod(h, font->lineHeight()), 0) << width;
        previous = h;
    }
    EXPECT_EQ(heightAt(text, 1000, font), font->lineHeight());
    EXPECT_GT(heightAt(text, 80, font), 4 * font->lineHeight());
    EXPECT_GT(heightAt(text + text, 150, font), heightAt(text, 150, font));
}

TEST(Measure, NewlinesLimitsAndOptions) {
    auto font = Font::systemFontOfSize(15);
    EXPECT_EQ(heightAt("第一行\n第二行\n第三行", 500, font), 3 * font->lineHeight());

    // The height constraint keeps the lines that fit.
    cg::Rect capped = vx::text::boundingRect("一\n二\n三\n四", {500, 2.5 * font->lineHeight()}, vx::text::UsesLineFragmentOrigin,
                                         withFont(font));
    EXPECT_EQ(capped.size.height, 2 * font->lineHeight());

    // Without line-fragment origin: one line, origin on the baseline.
    cg::Rect single = vx::text::boundingRect(repeat("很长的文字", 20), {50, 1e9}, 0, withFont(font));
    EXPECT_EQ(single.origin.y, -font->ascender());
    EXPECT_EQ(single.size.height, font->lineHeight());
    EXPECT_DOUBLE_EQ(single.size.width, 100 * 15);

    // Nothing to lay out measures zero; characters without a font use the system font of 12.
    EXPECT_EQ(vx::text::boundingRect("", {100, 100}, vx::text::UsesLineFragmentOrigin, {}).size, cg::SizeZero);
    EXPECT_EQ(vx::text::boundingRect("字", {100, 100}, vx::text::UsesLineFragmentOrigin, {}).size.height,
              Font::systemFontOfSize(12)->lineHeight());
}

TEST(Measure, LabelFittingSize) {
    vx::text::Style style;
    style.font = Font::systemFontOfSize(16);
    const std::string text = repeat("标签文字", 10); // 40 characters, 640 points on one line

    style.numberOfLines = 1;
    EXPECT_EQ(vx::text::sizeThatFits(text, style, {100, 1e9}), (cg::Size{640, 23}));

    style.numberOfLines = 0;
    cg::Size all = vx::text::sizeThatFits(text, style, {100, 1e9}); // 6 characters per line
    EXPECT_EQ(all, (cg::Size{96, 7 * 23}));

    style.numberOfLines = 3;
    EXPECT_EQ(vx::text::sizeThatFits(text, style, {100, 1e9}).height, 3 * 23);

    // Char wrapping fills each line; word wrapping moves whole words down.
    const std::string words = "aaaaaa bbbbbb cccccc";
    double width = vx::text::sizeWithAttributes("aaaaaa bbbb", withFont(style.font)).width + 1;
    EXPECT_EQ(vx::text::sizeThatFits(words, style, {width, 1e9}).height, 3 * 23);
    style.lineBreakMode = vx::text::LineBreakMode::CharWrapping;
    EXPECT_EQ(vx::text::sizeThatFits(words, style, {width, 1e9}).height, 2 * 23);

    // Sizes are whole points.
    EXPECT_EQ(std::fmod(vx::text::sizeThatFits("Fitting size", style, {1000, 1e9}).width, 1), 0);
}

TEST(Measure, AttributedRunsUseTheirOwnFonts) {
    // A price: the currency sign larger than the rest.
    ns::AttributedString price("¥128", withFont(Font::systemFontOfSize(14)));
    price.addAttribute(ns::FontAttributeName, ns::Value(Font::systemFontOfSize(20)), {0, 1});
    cg::Rect r = vx::text::boundingRect(price, {300, 1e9}, vx::text::UsesLineFragmentOrigin);
    EXPECT_EQ(r.size.height, Font::systemFontOfSize(20)->lineHeight());
    double plain = vx::text::sizeWithAttributes("¥128", withFont(Font::systemFontOfSize(14))).width;
    EXPECT_GT(r.size.width, plain);

    // A second line in the small font only is as tall as the small font.
    ns::AttributedString twoLines("¥\n128", withFont(Font::systemFontOfSize(14)));
    twoLines.addAttribute(ns::FontAttributeName, ns::Value(Font::systemFontOfSize(20)), {0, 1});
    EXPECT_EQ(vx::text::boundingRect(twoLines, {300, 1e9}, vx::text::UsesLineFragmentOrigin).size.height,
              Font::systemFontOfSize(20)->lineHeight() + Font::systemFontOfSize(14)->lineHeight());
}

TEST(Measure, InvalidUtf8IsMeasuredNotRefused) {
    auto font = Font::systemFontOfSize(13);
    std::string bad = std::string("ab\xff\xfe" "cd\0" "e\xe4\xbd", 10);
    cg::Rect r = vx::text::boundingRect(bad, {500, 1e9}, vx::text::UsesLineFragmentOrigin, withFont(font));
    EXPECT_EQ(r.size.height, font->lineHeight());
    EXPECT_GT(r.size.width, 0);
    ns::AttributedString attributed(bad);
    attributed.addAttribute(ns::StrikethroughStyleAttributeName, 1, {1, 5});
    EXPECT_EQ(vx::text::boundingRect(attributed, {500, 1e9}, vx::text::UsesLineFragmentOrigin).size.height,
              Font::systemFontOfSize(12)->lineHeight());
}

} // namespace
