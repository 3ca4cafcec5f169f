// Drawing text into bitmap contexts in the UI layer's y-down user space.
#include "os/text/Attributes.h"
#include "os/text/StringDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ui::Font;

struct Canvas {
    cg::ContextRef context;
    int width, height;

    Canvas(int w, int h) : width(w), height(h) {
        context = cg::Context::CreateBitmap(nullptr, w, h, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
        // As an image context of the UI layer: origin top left, y down.
        context->TranslateCTM(0, h);
        context->ScaleCTM(1, -1);
    }
    // B, G, R, A of the pixel in row y from the top.
    const uint8_t* at(int x, int y) const {
        return static_cast<const uint8_t*>(context->data()) + static_cast<size_t>(y) * context->bytesPerRow() + x * 4;
    }
    bool inked(int x, int y) const { return at(x, y)[3] > 0; }
    // Bounding box of the painted pixels: {minX, minY, maxX, maxY}, or all -1.
    std::array<int, 4> inkBox() const {
        std::array<int, 4> box{width, height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (inked(x, y)) box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
        return box[2] < 0 ? std::array<int, 4>{-1, -1, -1, -1} : box;
    }
};

vx::text::Style styleOf(double size, cg::Color color = {0, 0, 0, 1}) {
    vx::text::Style style;
    style.font = Font::systemFontOfSize(size);
    style.color = color;
    style.numberOfLines = 0;
    return style;
}

TEST(Draw, InkStaysInsideTheRectAndStartsAtItsTop) {
    Canvas canvas(120, 90);
    cg::Rect rect = cg::RectMake(10, 20, 60, 50);
    vx::text::draw(*canvas.context, rect, "汉字绘制测试汉字绘制测试汉字绘制测试", styleOf(16));
    auto box = canvas.inkBox();
    ASSERT_GE(box[0], 0) << "nothing drawn";
    EXPECT_GE(box[0], 10);
    EXPECT_GE(box[1], 20);
    EXPECT_LT(box[2], 70);
    // Upright and from the top: the first line's ink is within its first line height.
    EXPECT_LT(box[1], 20 + 23 / 2);
    // Two whole lines fit the height of 50 and are drawn; the third is left out.
    EXPECT_GT(box[3], 20 + 23);
    EXPECT_LT(box[3], 20 + 2 * 23);
}

TEST(Draw, AlignmentMovesEachLineWithinTheWidth) {
    auto inkFor = [](vx::text::Alignment alignment) {
        Canvas canvas(200, 30);
        vx::text::Style style = styleOf(16);
        style.alignment = alignment;
        vx::text::draw(*canvas.context, cg::RectMake(0, 0, 200, 30), "居中", style); // 32 points wide
        return canvas.inkBox();
    };
    auto left = inkFor(vx::text::Alignment::Left);
    auto center = inkFor(vx::text::Alignment::Center);
    auto right = inkFor(vx::text::Alignment::Right);
    EXPECT_LT(left[0], 5);
    EXPECT_NEAR(center[0] - left[0], 84, 1);
    EXPECT_NEAR(right[0] - left[0], 168, 1);
}

// Colours per run are checked with the UI colours in ViewRenderingTest.AttributedTextTakesUIColoursAndStickers.
TEST(Draw, TheContextsAlphaAppliesToTheWholeText) {
    Canvas faded(100, 30);
    faded.context->SetAlpha(0.5);
    vx::text::draw(*faded.context, cg::RectMake(0, 0, 100, 30), "红色", styleOf(20, {1, 0, 0, 1}));
    int maxAlpha = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x) maxAlpha = std::max<int>(maxAlpha, faded.at(x, y)[3]);
    EXPECT_NEAR(maxAlpha, 128, 1);
}

TEST(Draw, LineLimitAndTailTruncation) {
    const std::string longText = "一二三四五六七八九十一二三四五六七八九十";
    Canvas limited(100, 100);
    vx::text::Style style = styleOf(16);
    style.numberOfLines = 2;
    vx::text::draw(*limited.context, cg::RectMake(0, 0, 100, 100), longText, style);
    EXPECT_LT(limited.inkBox()[3], 2 * 23); // a third line would reach past 46

    // One truncated line ends in an ellipsis instead of running out of the rect.
    Canvas single(100, 30);
    style.numberOfLines = 1;
    style.lineBreakMode = vx::text::LineBreakMode::TruncatingTail;
    vx::text::draw(*single.context, cg::RectMake(0, 0, 100, 30), longText, style);
    auto box = single.inkBox();
    EXPECT_LT(box[2], 100);
    EXPECT_GT(box[2], 80);
}

TEST(Draw, AttachmentsArePaintedInPlace) {
    struct Sticker : ns::Object, vx::text::AttachmentAttribute {
        cg::ImageRef image;
        cg::Rect attachmentBounds() const override { return cg::RectMake(0, -2, 16, 16); }
        cg::ImageRef attachmentImage() const override { return image; }
    };
    auto pixels = cg::Context::CreateBitmap(nullptr, 4, 4, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    pixels->SetFillColor({0, 1, 0, 1});
    pixels->FillRect(cg::RectMake(0, 0, 4, 4));
    auto sticker = ns::make<Sticker>();
    sticker->image = pixels->CreateImage();

    ns::AttributedString line("好\xEF\xBF\xBC好");
    line.addAttribute(ns::AttachmentAttributeName, ns::Value(sticker), {1, 1});
    Canvas canvas(80, 30);
    vx::text::draw(*canvas.context, cg::RectMake(0, 0, 80, 30), line, styleOf(16));
    // 16 points of text, then the sticker: x 16..32, its bottom 2 points below the baseline (19).
    const uint8_t* p = canvas.at(24, 12);
    EXPECT_EQ(p[1], 255);
    EXPECT_EQ(p[3], 255);
    EXPECT_EQ(canvas.at(24, 2)[1], 0); // above the sticker's top (19 + 2 - 16 = 5)
    EXPECT_EQ(vx::text::sizeThatFits(line, styleOf(16), {200, 200}).width, 48);
}

} // namespace
