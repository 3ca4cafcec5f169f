// What the system's own pieces look like on screen: bars with their backdrops and hairlines, the
// activity spinner, pictures in buttons and alerts, checked on pixels and frames.
#include "UIKitTestSupport.h"

#include "os/uikit/ActivityIndicatorView.h"
#include "os/uikit/AlertController.h"
#include "os/uikit/Button.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/TabBarController.h"
#include "os/uikit/TextField.h"
#include "os/uikit/ViewRendering.h"

#include <algorithm>
#include <cmath>

using namespace uitest;

namespace {

ui::ImageRef filled(ui::ColorRef color, cg::Size size) {
    ui::GraphicsBeginImageContextWithOptions(size, true, 1);
    color->setFill();
    ui::RectFill(cg::RectMake(0, 0, size.width, size.height));
    auto image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    return image;
}

const Px kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};

// The smallest rectangle (in pixels) holding every pixel the test accepts, or null.
template <class Pick> cg::Rect boxOf(const ui::ImageRef& image, Pick pick) {
    auto cg = image->CGImage();
    size_t x0 = SIZE_MAX, y0 = SIZE_MAX, x1 = 0, y1 = 0;
    for (size_t y = 0; y < cg->height(); ++y)
        for (size_t x = 0; x < cg->width(); ++x)
            if (pick(pixel(cg, x, y))) x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x0 == SIZE_MAX) return cg::RectNull;
    return cg::RectMake(double(x0), double(y0), double(x1 - x0 + 1), double(y1 - y0 + 1));
}

class SystemLooksTest : public UIKitTest {};

TEST_F(SystemLooksTest, NavigationBarFillsUpUnderTheStatusBarAndDrawsItsShadowImageBelow) {
    auto root = ui::ViewController::create();
    auto nav = ui::NavigationController::createWithRoot(root);
    auto window = showWindow(nav);
    root->view()->setBackgroundColor(ui::Color::blueColor());
    nav->navigationBar()->setBarTintColor(ui::Color::redColor());
    nav->navigationBar()->setShadowImage(filled(ui::Color::greenColor(), {1, 1}));
    drainMain();
    window->layoutIfNeeded();

    cg::Rect bar = nav->navigationBar()->frame();
    ASSERT_GT(bar.origin.y, 0) << "the bar sits below the status bar";
    auto shot = ui::renderView(window, 2);
    EXPECT_EQ(pixel(shot, 100, 0), kRed) << "the tint reaches the top of the screen";
    EXPECT_EQ(pixel(shot, 100, size_t(bar.origin.y * 2) - 1), kRed);
    size_t bottom = size_t(cg::RectGetMaxY(bar) * 2);
    EXPECT_EQ(pixel(shot, 100, bottom - 1), kRed);
    EXPECT_EQ(pixel(shot, 100, bottom), kGreen) << "the shadow image is one pixel under the bar";
    EXPECT_EQ(pixel(shot, 100, bottom + 1), kBlue);
    EXPECT_EQ(pixel(shot, 0, bottom), kGreen) << "across the whole width";
    EXPECT_EQ(pixel(shot, 749, bottom), kGreen);

    nav->navigationBar()->setShadowImage(nullptr);
    EXPECT_EQ(pixel(ui::renderView(window, 2), 100, bottom), kBlue) << "no image, no line";
}

TEST_F(SystemLooksTest, TabBarDrawsItsShadowImageJustAboveItself) {
    auto tabs = ui::ViewController::create<ui::TabBarController>();
    auto first = ui::ViewController::create();
    tabs->addChildViewController(first);
    auto window = showWindow(tabs);
    first->view()->setBackgroundColor(ui::Color::blueColor());
    tabs->tabBar()->setBackgroundImage(filled(ui::Color::redColor(), {1, 1}));
    tabs->tabBar()->setShadowImage(filled(ui::Color::greenColor(), {1, 1}));
    drainMain();
    window->layoutIfNeeded();

    size_t top = size_t(tabs->tabBar()->frame().origin.y * 2);
    auto shot = ui::renderView(window, 2);
    EXPECT_EQ(pixel(shot, 3, top - 2), kBlue);
    EXPECT_EQ(pixel(shot, 3, top - 1), kGreen);
    EXPECT_EQ(pixel(shot, 3, top), kRed) << "the bar itself keeps its background";
}

TEST_F(SystemLooksTest, SpinnerKeepsItsStyleSizeCentredInItsFrameInItsColour) {
    struct Case {
        ui::ActivityIndicatorViewStyle style;
        double side;
    };
    for (auto [style, side] : {Case{ui::ActivityIndicatorViewStyle::Medium, 20},
                               Case{ui::ActivityIndicatorViewStyle::WhiteLarge, 37}}) {
        auto spinner = ui::ActivityIndicatorView::withStyle(style);
        spinner->setFrame(cg::RectMake(0, 0, 100, 100));
        spinner->setColor(ui::Color::redColor());
        spinner->startAnimating();
        auto shot = ui::renderView(spinner, 2);
        cg::Rect drawn = boxOf(shot, [](const Px& p) { return p[3] > 0; });
        ASSERT_FALSE(cg::RectIsNull(drawn)) << side;
        // Within the style's square, centred, and filling most of it.
        EXPECT_GE(drawn.origin.x, 100 - side) << side;
        EXPECT_LE(cg::RectGetMaxX(drawn), 100 + side) << side;
        EXPECT_GE(drawn.size.width, side * 2 * 0.85) << side;
        EXPECT_NEAR(cg::RectGetMidX(drawn), 100, 1) << side;
        EXPECT_NEAR(cg::RectGetMidY(drawn), 100, 1) << side;
        cg::Rect reddish = boxOf(shot, [](const Px& p) { return p[3] > 0 && (p[1] > 0 || p[2] > 0); });
        EXPECT_TRUE(cg::RectIsNull(reddish)) << "only the spinner's colour";
    }
}

// Every style as a player sees it: its size, whether it shows, and its colour where it is drawn fully.
TEST_F(SystemLooksTest, EverySpinnerStyleShowsItsSizeAndColourOnlyWhileSpinning) {
    struct Case {
        ui::ActivityIndicatorViewStyle style;
        double side;
        int grey; // of the style's colour: white 255, grey 128
    };
    for (auto [style, side, grey] :
         {Case{ui::ActivityIndicatorViewStyle::WhiteLarge, 37, 255}, Case{ui::ActivityIndicatorViewStyle::White, 20, 255},
          Case{ui::ActivityIndicatorViewStyle::Gray, 20, 128}, Case{ui::ActivityIndicatorViewStyle::Medium, 20, 128},
          Case{ui::ActivityIndicatorViewStyle::Large, 37, 128}}) {
        SCOPED_TRACE(static_cast<int>(style));
        auto spinner = ui::ActivityIndicatorView::withStyle(style);
        EXPECT_EQ(spinner->frame(), cg::RectMake(0, 0, side, side));
        EXPECT_EQ(spinner->intrinsicContentSize(), (cg::Size{side, side}));
        EXPECT_TRUE(spinner->isHidden()) << "a new spinner waits to be started";
        EXPECT_FALSE(spinner->isAnimating());

        spinner->startAnimating();
        EXPECT_FALSE(spinner->isHidden());
        auto shot = ui::renderView(spinner, 2);
        cg::Rect drawn = boxOf(shot, [](const Px& p) { return p[3] > 0; });
        ASSERT_FALSE(cg::RectIsNull(drawn));
        EXPECT_GE(drawn.size.width, side * 2 * 0.85);
        EXPECT_LE(drawn.size.width, side * 2);
        // Where a spoke covers whole pixels the style's colour shows as it is.
        size_t full = 0;
        auto cgShot = shot->CGImage();
        for (size_t y = 0; y < cgShot->height(); ++y)
            for (size_t x = 0; x < cgShot->width(); ++x)
                if (Px px = pixel(cgShot, x, y); px[3] == 255) {
                    ++full;
                    EXPECT_EQ(px, (Px{grey, grey, grey, 255})) << x << "," << y;
                }
        EXPECT_GT(full, 0u);

        spinner->stopAnimating();
        EXPECT_TRUE(spinner->isHidden());
        EXPECT_TRUE(cg::RectIsNull(boxOf(ui::renderView(spinner, 2), [](const Px& p) { return p[3] > 0; })));
        // Kept on screen when stopped, it shows faded: no pixel at full strength.
        spinner->setHidesWhenStopped(false);
        spinner->setHidden(false);
        auto still = ui::renderView(spinner, 2);
        EXPECT_FALSE(cg::RectIsNull(boxOf(still, [](const Px& p) { return p[3] > 0; })));
        EXPECT_TRUE(cg::RectIsNull(boxOf(still, [](const Px& p) { return p[3] == 255; })));
    }
    // Made with a frame, it is the white one.
    auto plain = ui::View::create<ui::ActivityIndicatorView>(cg::RectMake(0, 0, 50, 50));
    EXPECT_EQ(plain->style(), ui::ActivityIndicatorViewStyle::White);
    EXPECT_EQ(plain->color()->cgColor(), ui::Color::whiteColor()->cgColor());
}

// The bar on every profile the screens run on: under the status bar (none in landscape), across
// the screen, 44 points tall, its tint up to the screen's top edge, its title centred.
TEST_F(SystemLooksTest, NavigationBarSitsUnderTheStatusBarOfEveryProfile) {
    struct Case {
        const char* name;
        ui::DeviceProfile profile;
        double top, width;
    };
    const Case cases[] = {
        {"plain portrait", ui::DeviceProfile::plainPhone(), 20, 375},
        {"plain landscape", ui::DeviceProfile::plainPhone().withLandscape(true), 0, 667},
        {"notch portrait", ui::DeviceProfile::notchPortrait(), 44, 375},
        {"notch landscape", ui::DeviceProfile::notchLandscape(), 0, 812},
        {"iOS 10 portrait", ui::DeviceProfile::iOS10(), 20, 375},
        {"iOS 10 landscape", ui::DeviceProfile::iOS10().withLandscape(true), 0, 667},
        // The insets count from iOS 11 on: a notch phone on 11.0 keeps its 44, on 10.3 it has 20.
        {"notch on 11.0", ui::DeviceProfile::notchPortrait().withSystemVersion("11.0"), 44, 375},
        {"notch on 10.3", ui::DeviceProfile::notchPortrait().withSystemVersion("10.3"), 20, 375},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui::DeviceProfile::use(c.profile);
        auto first = ui::ViewController::create();
        first->setTitle(std::string("标题"));
        auto nav = ui::NavigationController::createWithRoot(first);
        auto window = showWindow(nav);
        first->view()->setBackgroundColor(ui::Color::blueColor());
        nav->navigationBar()->setBarTintColor(ui::Color::redColor());
        drainMain();
        window->layoutIfNeeded();

        EXPECT_EQ(nav->navigationBar()->frame(), cg::RectMake(0, c.top, c.width, 44));
        auto title = nav->navigationBar()->titleLabel();
        ASSERT_EQ(title->superview(), nav->navigationBar());
        EXPECT_NEAR(title->center().x, c.width / 2, 0.5);
        EXPECT_NEAR(title->center().y, 22, 0.5);

        const double scale = ui::Screen::mainScreen().scale();
        auto shot = ui::renderView(window, scale);
        const size_t x = size_t(8 * scale); // left of the title
        EXPECT_EQ(pixel(shot, x, 0), kRed) << "the tint reaches the top of the screen";
        EXPECT_EQ(pixel(shot, x, size_t((c.top + 44) * scale) - 1), kRed);
        EXPECT_EQ(pixel(shot, x, size_t((c.top + 44) * scale) + 1), kBlue) << "the screen starts under the bar";
        EXPECT_EQ(pixel(shot, size_t(c.width * scale) - 1, size_t(c.top * scale)), kRed) << "across the whole width";
        window->setHidden(true);
    }
    ui::DeviceProfile::reset();
}

TEST_F(SystemLooksTest, ButtonPictureShrinksIntoItsRoomAndDrawsByTheImageViewsContentMode) {
    struct Case {
        const char* name;
        cg::Size image;
        cg::Rect frame;
        ui::EdgeInsets insets;
        cg::Rect imageFrame;
    };
    const Case cases[] = {
        {"fits", {20, 10}, cg::RectMake(0, 0, 30, 30), {}, cg::RectMake(5, 10, 20, 10)},
        {"too big", {50, 50}, cg::RectMake(0, 0, 30, 30), {}, cg::RectMake(0, 0, 30, 30)},
        {"too wide", {50, 10}, cg::RectMake(0, 0, 30, 30), {}, cg::RectMake(0, 10, 30, 10)},
        // A docked button half off the screen keeps its picture in the half inside the insets.
        {"inset", {50, 50}, cg::RectMake(0, 0, 60, 90), {0, 0, 0, 30}, cg::RectMake(0, 20, 30, 50)},
    };
    for (const auto& k : cases) {
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setFrame(k.frame);
        button->setImage(filled(ui::Color::redColor(), k.image), ui::ControlStateNormal);
        button->setImageEdgeInsets(k.insets);
        button->layoutIfNeeded();
        EXPECT_EQ(button->imageView()->frame(), k.imageFrame) << k.name;
    }

    // On pixels: a 50 pt square in a 30 pt button with aspect fit stays inside the button.
    auto holder = ui::View::create(cg::RectMake(0, 0, 90, 90));
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(cg::RectMake(30, 30, 30, 30));
    button->setImage(filled(ui::Color::redColor(), {50, 50}), ui::ControlStateNormal);
    button->imageView()->setContentMode(ui::ContentMode::ScaleAspectFit);
    holder->addSubview(button);
    button->layoutIfNeeded();
    auto shot = ui::renderView(holder, 1);
    EXPECT_EQ(boxOf(shot, [](const Px& p) { return p == kRed; }), cg::RectMake(30, 30, 30, 30));

    // Aspect fit in a wide room: the square is drawn as big as the height allows, centred.
    button->setFrame(cg::RectMake(0, 30, 90, 30));
    button->setImage(filled(ui::Color::redColor(), {60, 60}), ui::ControlStateNormal);
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame(), cg::RectMake(15, 0, 60, 30));
    shot = ui::renderView(holder, 1);
    EXPECT_EQ(boxOf(shot, [](const Px& p) { return p == kRed; }), cg::RectMake(30, 30, 30, 30));
}

TEST_F(SystemLooksTest, AlertHasHairlinesSystemColoursAndALightField) {
    auto page = ui::ViewController::create();
    auto window = showWindow(page);
    page->view()->setBackgroundColor(ui::Color::whiteColor());
    auto alert = ui::AlertController::alertControllerWithTitle(std::string("添加小号"), std::string("名称不能超过8个字符"),
                                                               ui::AlertControllerStyle::Alert);
    alert->addTextFieldWithConfigurationHandler({});
    auto remove = ui::AlertAction::actionWithTitle(std::string("删除"), ui::AlertActionStyle::Destructive);
    auto cancel = ui::AlertAction::actionWithTitle(std::string("取消"), ui::AlertActionStyle::Cancel);
    alert->addAction(remove);
    alert->addAction(cancel);
    page->presentViewController(alert, false);
    advance(0.5);
    ASSERT_EQ(ui::driver::presentedAlert(window), alert);
    auto shot = ui::renderView(alert->view(), 2);

    auto left = alert->buttonForAction(cancel), right = alert->buttonForAction(remove);
    cg::Rect l = left->convertRectToView(left->bounds(), alert->view().get());
    cg::Rect r = right->convertRectToView(right->bounds(), alert->view().get());
    ASSERT_LT(l.origin.x, r.origin.x) << "cancel on the left";
    const Px line{199, 199, 204, 255};
    EXPECT_EQ(pixel(shot, size_t(cg::RectGetMidX(l) * 2), size_t(l.origin.y * 2)), line) << "over the buttons";
    EXPECT_EQ(pixel(shot, size_t(cg::RectGetMidX(l) * 2), size_t(l.origin.y * 2) + 1), (Px{255, 255, 255, 255}));
    EXPECT_EQ(pixel(shot, size_t(r.origin.x * 2), size_t(cg::RectGetMidY(r) * 2) - 10), line) << "between them";

    // The destructive title is the system red, never pure red; the cancel title is bold blue.
    auto inRect = [&](cg::Rect rect, auto pick) {
        int n = 0;
        for (size_t y = size_t(rect.origin.y * 2); y < size_t(cg::RectGetMaxY(rect) * 2); ++y)
            for (size_t x = size_t(rect.origin.x * 2); x < size_t(cg::RectGetMaxX(rect) * 2); ++x)
                n += pick(pixel(shot, x, y)) ? 1 : 0;
        return n;
    };
    EXPECT_GT(inRect(r, [](const Px& p) { return p == Px{255, 59, 48, 255}; }), 20);
    EXPECT_EQ(inRect(r, [](const Px& p) { return p == kRed; }), 0);
    EXPECT_GT(inRect(l, [](const Px& p) { return p == Px{0, 122, 255, 255}; }), 20);

    // The field: a light frame, no dark square.
    auto field = alert->textFields()[0];
    cg::Rect f = field->convertRectToView(field->bounds(), alert->view().get());
    EXPECT_EQ(inRect(f, [](const Px& p) { return p[0] < 150 && p[1] < 150 && p[2] < 150; }), 0);
    EXPECT_GT(inRect(f, [](const Px& p) { return p[0] < 235 && p[0] > 180 && p[0] == p[2]; }), 100) << "its frame";
}

} // namespace
