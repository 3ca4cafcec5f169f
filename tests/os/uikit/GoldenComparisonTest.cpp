// The golden comparison sees what a reviewer would: a faint hairline across a label, one changed
// character, a card's missing shadow. Each is made on purpose against a rendered card.
#include "UIKitTestSupport.h"

#include "os/uikit/Graphics.h"
#include "os/uikit/Label.h"
#include "os/uikit/ViewRendering.h"
#include "tests/support/GoldenCompare.h"

using namespace uitest;

namespace {

// A light page with a white rounded card casting the user centre's soft shadow, and two labels.
struct CardScene {
    ui::ViewRef page = ui::View::create(cg::RectMake(0, 0, 200, 120));
    ui::ViewRef card = ui::View::create(cg::RectMake(15, 20, 170, 80));
    ns::Ref<ui::Label> title = ui::View::create<ui::Label>(cg::RectMake(15, 12, 140, 24));
    ns::Ref<ui::Label> price = ui::View::create<ui::Label>(cg::RectMake(15, 44, 140, 24));

    CardScene() {
        page->setBackgroundColor(ui::Color::colorWithWhite(0.97, 1));
        card->setBackgroundColor(ui::Color::whiteColor());
        ca::Layer& layer = *card->layer();
        layer.setCornerRadius(10);
        layer.setShadowColor(cg::Color{230 / 255.0, 230 / 255.0, 230 / 255.0, 1});
        layer.setShadowOpacity(0.9);
        layer.setShadowRadius(3);
        layer.setShadowOffset({0, 0});
        title->setText("我的优惠券");
        title->setFont(ui::Font::systemFontOfSize(15));
        price->setText("¥15.00");
        price->setFont(ui::Font::systemFontOfSize(15));
        price->setTextColor(ui::Color::colorWithRed(1, 0.35, 0.2, 1));
        card->addSubview(title);
        card->addSubview(price);
        page->addSubview(card);
    }
    cg::ImageRef shot() { return ui::renderView(page, 2)->CGImage(); }
};

// The picture with an opaque rectangle (points) painted over it.
cg::ImageRef paint(const cg::ImageRef& image, cg::Rect rect, ui::ColorRef color) {
    cg::Size size{image->width() / 2.0, image->height() / 2.0};
    ui::GraphicsBeginImageContextWithOptions(size, true, 2);
    ui::Image::imageWithCGImage(image, 2)->drawInRect(cg::RectMake(0, 0, size.width, size.height));
    color->setFill();
    ui::RectFill(rect);
    auto out = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    return out->CGImage();
}

class GoldenComparisonTest : public UIKitTest {};

TEST_F(GoldenComparisonTest, TheSameScreenMatchesAndAFewStrayPixelsPass) {
    CardScene scene;
    auto golden = scene.shot();
    EXPECT_TRUE(vx::test::sameAsGolden(scene.shot(), golden, "again"));
    // Two device pixels changed (half a point square each way is one pixel at 2x).
    auto touched = paint(paint(golden, cg::RectMake(2, 2, 0.5, 0.5), ui::Color::blackColor()),
                         cg::RectMake(190, 110, 0.5, 0.5), ui::Color::blackColor());
    EXPECT_TRUE(vx::test::sameAsGolden(touched, golden, "stray"));
}

TEST_F(GoldenComparisonTest, AHairlineACharacterOrAShadowMakesItFail) {
    CardScene scene;
    auto golden = scene.shot();
    auto fails = [&](const cg::ImageRef& shot, const char* what) {
        auto result = vx::test::sameAsGolden(shot, golden, what);
        EXPECT_FALSE(result) << what;
        EXPECT_NE(std::string(result.message()).find("pixels differ"), std::string::npos) << what;
    };

    // One device pixel high, in the light grey of a bar's hairline, across the title.
    fails(paint(golden, cg::RectMake(30, 44, 140, 0.5), ui::Color::colorWithWhite(240 / 255.0, 1)), "hairline");

    scene.price->setText("¥16.00");
    fails(scene.shot(), "one character");
    scene.price->setText("¥15.00");
    ASSERT_TRUE(vx::test::sameAsGolden(scene.shot(), golden, "restored"));

    scene.card->layer()->setShadowOpacity(0);
    fails(scene.shot(), "no shadow");
    scene.card->layer()->setShadowOpacity(0.9);

    // A picture of another size never matches.
    auto smaller = ui::renderView(ui::View::create(cg::RectMake(0, 0, 100, 120)), 2)->CGImage();
    EXPECT_FALSE(vx::test::sameAsGolden(smaller, golden, "size"));
}

} // namespace
