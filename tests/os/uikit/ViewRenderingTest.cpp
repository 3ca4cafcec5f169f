#include "UIKitTestSupport.h"

#include "os/uikit/Button.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextAttachment.h"
#include "os/uikit/TextField.h"
#include "os/uikit/ViewRendering.h"

#include <cstdlib>
#include <filesystem>

using namespace uitest;

namespace {

const Px kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kYellow{255, 255, 0, 255}, kClear{0, 0, 0, 0};

// Opaque, nearly black pixels inside the rectangle (pixel coordinates): drawn text.
int darkPixels(const ui::ImageRef& image, cg::Rect r) {
    int dark = 0;
    for (auto y = size_t(r.origin.y); y < size_t(cg::RectGetMaxY(r)); ++y)
        for (auto x = size_t(r.origin.x); x < size_t(cg::RectGetMaxX(r)); ++x) {
            Px p = pixel(image, x, y);
            if (p[3] == 255 && p[0] < 80 && p[1] < 80 && p[2] < 80) ++dark;
        }
    return dark;
}

ui::ImageRef square(ui::ColorRef color, double side) {
    ui::GraphicsBeginImageContextWithOptions({side, side}, true, 1);
    color->setFill();
    ui::RectFill(cg::RectMake(0, 0, side, side));
    auto image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    return image;
}

// Draws a red square in its top-left quarter.
class Marker : public ui::View {
public:
    int draws = 0;
    void drawRect(cg::Rect rect) override {
        ++draws;
        ui::Color::redColor()->setFill();
        ui::RectFill(cg::RectMake(0, 0, rect.size.width / 2, rect.size.height / 2));
    }
};

// Shows a frame of its own choosing, as an animated image view does.
class FrameView : public ui::View {
public:
    ui::ImageRef frame;
    void displayLayer(ca::Layer& layer) override { layer.setContents(frame ? frame->CGImage() : nullptr); }
};

class ViewRenderingTest : public UIKitTest {};

TEST_F(ViewRenderingTest, BorderedRoundedViewWithALabelAndAnImage) {
    auto card = ui::View::create(cg::RectMake(30, 30, 120, 80));
    card->setBackgroundColor(ui::Color::blueColor());
    card->layer()->setCornerRadius(20);
    card->setClipsToBounds(true);
    card->layer()->setBorderWidth(4);
    card->layer()->setBorderColor({1, 0, 0, 1});
    auto spill = ui::View::create(cg::RectMake(-10, -10, 40, 40));
    spill->setBackgroundColor(ui::Color::yellowColor());
    card->addSubview(spill);
    auto label = ui::View::create<ui::Label>(cg::RectMake(10, 30, 100, 46));
    label->setText("Hi 你好");
    label->setFont(ui::Font::boldSystemFontOfSize(20));
    card->addSubview(label);
    auto picture = ui::View::create<ui::ImageView>(cg::RectMake(70, 8, 40, 20));
    picture->setImage(square(ui::Color::redColor(), 10));
    picture->setContentMode(ui::ContentMode::ScaleAspectFit);
    card->addSubview(picture);

    auto image = ui::renderView(card, 1);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->CGImage()->width(), 120u);
    EXPECT_EQ(pixel(image, 0, 0), kClear) << "the rounded corner clips the spilling subview";
    EXPECT_EQ(pixel(image, 14, 14), kYellow);
    EXPECT_EQ(pixel(image, 60, 1), kRed) << "the border lies inside the bounds, over the subviews";
    EXPECT_EQ(pixel(image, 60, 3), kRed);
    EXPECT_EQ(pixel(image, 60, 4), kBlue) << "four points wide";
    EXPECT_EQ(pixel(image, 60, 78), kRed);
    EXPECT_EQ(pixel(image, 115, 40), kBlue);
    EXPECT_EQ(pixel(image, 74, 18), kBlue) << "aspect fit leaves the sides of the image view empty";
    EXPECT_EQ(pixel(image, 90, 18), kRed);
    EXPECT_GT(darkPixels(image, cg::RectMake(10, 30, 100, 46)), 40) << "the label's text is drawn";
    EXPECT_EQ(darkPixels(image, cg::RectMake(10, 30, 100, 6)), 0) << "centred in its height";

    auto twice = ui::renderView(card, 2);
    EXPECT_EQ(twice->CGImage()->width(), 240u);
    EXPECT_EQ(twice->size(), (cg::Size{120, 80}));

    card->setAlpha(0.5);
    Px faded = pixel(ui::renderView(card, 1), 115, 40);
    EXPECT_NEAR(faded[3], 128, 2);
    EXPECT_NEAR(faded[2], 128, 2) << "blue, premultiplied by the alpha";
    EXPECT_EQ(faded[0], 0);
}

TEST_F(ViewRenderingTest, AttributedTextTakesUIColoursAndStickers) {
    auto sticker = ui::TextAttachment::withImage(square(ui::Color::blueColor(), 20), cg::RectMake(0, 0, 20, 20));
    std::string joined = "¥ 6" + ui::TextAttachment::attributedString(sticker).string();
    ns::AttributedString all(joined, {{ns::FontAttributeName, ns::Value(ui::Font::boldSystemFontOfSize(30))}});
    all.addAttribute(ns::ForegroundColorAttributeName, ns::Value(ui::Color::redColor()), {0, 1});
    all.addAttribute(ns::AttachmentAttributeName, ns::Value(sticker), {3, 1});
    auto label = ui::View::create<ui::Label>(cg::RectMake(0, 0, 120, 50));
    label->setAttributedText(all);

    auto image = ui::renderView(label, 1);
    int red = 0, black = 0;
    double blue = 0; // coverage: the sticker may start between two pixels
    for (size_t y = 0; y < 50; ++y)
        for (size_t x = 0; x < 120; ++x) {
            Px p = pixel(image, x, y);
            if (p == kRed) ++red;
            else if (p[0] == 0 && p[1] == 0 && p[2] > 0) blue += p[3] / 255.0;
            else if (p[3] == 255 && p[0] < 40 && p[1] < 40 && p[2] < 40) ++black;
        }
    EXPECT_GT(red, 20) << "the yuan sign takes the UI colour of its range";
    EXPECT_GT(black, 20) << "the rest keeps the label's colour";
    EXPECT_NEAR(blue, 400, 1) << "the 20 × 20 sticker is drawn whole";
}

TEST_F(ViewRenderingTest, DrawRectOverridesAndLayerContentsOfOtherViews) {
    auto root = ui::View::create(cg::RectMake(0, 0, 60, 20));
    auto marker = ui::View::create<Marker>(cg::RectMake(0, 0, 20, 20));
    auto given = ui::View::create(cg::RectMake(20, 0, 20, 20));
    given->layer()->setContents(square(ui::Color::blueColor(), 4)->CGImage());
    auto frames = ui::View::create<FrameView>(cg::RectMake(40, 0, 20, 20));
    frames->frame = square(ui::Color::yellowColor(), 4);
    for (const auto& v : {ui::ViewRef(marker), given, ui::ViewRef(frames)}) root->addSubview(v);

    auto image = ui::renderView(root, 1);
    EXPECT_EQ(pixel(image, 5, 5), kRed);
    EXPECT_EQ(pixel(image, 15, 15), kClear);
    EXPECT_EQ(pixel(image, 30, 10), kBlue) << "a plain view keeps the contents it was given";
    EXPECT_EQ(pixel(image, 50, 10), kYellow) << "an own displayLayer decides the contents";

    // In a window, setNeedsDisplay redraws on the display pass.
    auto window = showWindow(ui::ViewController::create());
    window->rootViewController()->view()->addSubview(root);
    int before = marker->draws;
    marker->setNeedsDisplay();
    drainMain();
    EXPECT_EQ(marker->draws, before + 1);
}

// The example form of docs/uikit.md; VX_UPDATE_DOCS=1 also writes docs/example-form.png.
TEST_F(ViewRenderingTest, ExampleFormCapturesToAPNG) {
    auto root = ui::ViewController::create();
    auto window = showWindow(root);
    auto view = root->view();
    view->setBackgroundColor(ui::Color::colorWithWhite(0.96, 1));

    auto card = ui::View::create(cg::RectMake(24, 120, 327, 330));
    card->setBackgroundColor(ui::Color::whiteColor());
    card->layer()->setCornerRadius(8);
    card->setClipsToBounds(true);
    card->layer()->setBorderWidth(1);
    card->layer()->setBorderColor({0.85, 0.85, 0.85, 1});
    view->addSubview(card);

    auto title = ui::View::create<ui::Label>(cg::RectMake(0, 20, 327, 30));
    title->setText("账号登录");
    title->setFont(ui::Font::boldSystemFontOfSize(20));
    title->setTextAlignment(ui::TextAlignment::Center);
    card->addSubview(title);

    double y = 76;
    for (auto [caption, placeholder, secure] : {std::tuple{"账号", "请输入手机号或账号", false},
                                                std::tuple{"密码", "请输入密码", true}}) {
        auto label = ui::View::create<ui::Label>(cg::RectMake(20, y, 50, 40));
        label->setText(caption);
        label->setFont(ui::Font::systemFontOfSize(15));
        card->addSubview(label);
        auto field = ui::View::create<ui::TextField>(cg::RectMake(76, y, 231, 40));
        field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
        field->setPlaceholder(placeholder);
        field->setFont(ui::Font::systemFontOfSize(15));
        field->setSecureTextEntry(secure);
        field->setTag(secure ? 11 : 10);
        card->addSubview(field);
        y += 56;
    }
    ui::driver::typeText(ns::as<ui::TextField>(card->viewWithTag(10)), "player2024");

    auto login = ui::Button::buttonWithType(ui::ButtonType::Custom);
    login->setFrame(cg::RectMake(20, 206, 287, 44));
    login->setTitle("登 录", ui::ControlStateNormal);
    login->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
    login->titleLabel()->setFont(ui::Font::systemFontOfSize(17));
    login->setBackgroundColor(ui::Color::colorWithRed(0x61 / 255.0, 0x37 / 255.0, 0xE7 / 255.0, 1));
    login->layer()->setCornerRadius(22);
    card->addSubview(login);
    for (auto [text, x] : {std::pair{"快速注册", 20.0}, std::pair{"忘记密码?", 207.0}}) {
        auto link = ui::Button::buttonWithType(ui::ButtonType::Custom);
        link->setFrame(cg::RectMake(x, 266, 100, 30));
        link->setTitle(text, ui::ControlStateNormal);
        link->setTitleColor(ui::Color::colorWithWhite(0.4, 1), ui::ControlStateNormal);
        link->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        card->addSubview(link);
    }
    drainMain();

    std::string path = sandboxPath() + "/form.png";
    ui::driver::capture(window, path);
    auto png = ui::Image::imageWithContentsOfFile(path);
    ASSERT_TRUE(png);
    double scale = ui::Screen::mainScreen().scale();
    EXPECT_EQ(png->CGImage()->width(), size_t(375 * scale));
    EXPECT_EQ(png->CGImage()->height(), size_t(667 * scale));
    EXPECT_GT(darkPixels(png, cg::RectMake(24 * scale, 140 * scale, 327 * scale, 30 * scale)), 100) << "the title";

    if (const char* update = std::getenv("VX_UPDATE_DOCS"); update && std::string(update) == "1") {
        auto docs = std::filesystem::path(__FILE__).parent_path() / "../../../docs/example-form.png";
        ui::driver::capture(window, std::filesystem::weakly_canonical(docs).string());
    }
}

} // namespace
