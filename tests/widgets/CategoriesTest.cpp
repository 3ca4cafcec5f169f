#include "WidgetTestSupport.h"

#include "os/foundation/Error.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Nib.h"
#include "widgets/UIButton+FillColor.h"
#include "widgets/UIButton+VXImageTitleSpacing.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"
#include "widgets/VXShowLabel.h"

#include <array>

using namespace widgettest;

namespace {

std::array<double, 4> rgba(const ui::ColorRef& color) {
    std::array<double, 4> c{};
    color->getRed(&c[0], &c[1], &c[2], &c[3]);
    return c;
}

const std::array<double, 4> Clear{0, 0, 0, 0};

TEST(HexColour, SixDigitsWithOrWithoutHashInEitherCase) {
    auto a = rgba(XTExtention::colorWithHexString("#6137E7"));
    EXPECT_DOUBLE_EQ(a[0], 0x61 / 255.0);
    EXPECT_DOUBLE_EQ(a[1], 0x37 / 255.0);
    EXPECT_DOUBLE_EQ(a[2], 0xE7 / 255.0);
    EXPECT_DOUBLE_EQ(a[3], 1);
    EXPECT_EQ(rgba(XTExtention::colorWithHexString("6137e7")), a);
    EXPECT_EQ(rgba(XTExtention::colorWithHexString(" #6137E7\n")), a);
    EXPECT_EQ(rgba(XTExtention::colorWithHexString("#000000")), (std::array<double, 4>{0, 0, 0, 1}));
    EXPECT_EQ(rgba(XTExtention::colorWithHexString("FFFFFF")), (std::array<double, 4>{1, 1, 1, 1}));
}

TEST(HexColour, AnythingButSixHexDigitsIsClear) {
    // Three and eight digits are not colours here: a tag whose colour is not six digits shows no
    // background rather than a guessed one.
    for (const char* bad : {"#FFF", "F0F", "#6137E7FF", "6137E7FF", "", "#", "#6137E", "#6137E7A", "#GG37E7", "61 37E7",
                            "##6137E7", "0x6137E7", "红色"})
        EXPECT_EQ(rgba(XTExtention::colorWithHexString(bad)), Clear) << bad;
    EXPECT_EQ(rgba(XTExtention::colorWithHexString(std::nullopt)), Clear);
}

class CategoriesTest : public WidgetTest {};

TEST_F(CategoriesTest, ColourImagesFillOnePointAndBecomeButtonBackgrounds) {
    auto image = VXColor::imageWithColor(ui::Color::colorWithRed(48 / 255.0, 146 / 255.0, 246 / 255.0, 1));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (cg::Size{1, 1}));
    const uint8_t* bgra = image->CGImage()->bytes();
    EXPECT_EQ((std::array<int, 4>{bgra[0], bgra[1], bgra[2], bgra[3]}), (std::array<int, 4>{246, 146, 48, 255}));
    EXPECT_FALSE(VXColor::imageWithColor(nullptr));

    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    FillColor::setBackgroundColor(button, ui::Color::redColor(), ui::ControlStateNormal);
    FillColor::setBackgroundColor(button, ui::Color::grayColor(), ui::ControlStateDisabled);
    button->setEnabled(false);
    ASSERT_TRUE(button->currentBackgroundImage());
    EXPECT_EQ(button->currentBackgroundImage()->CGImage()->bytes()[2], 128); // grey, not red
    button->setEnabled(true);
    EXPECT_EQ(button->currentBackgroundImage()->CGImage()->bytes()[2], 255);
}

TEST_F(CategoriesTest, SdkImagesComeFromTheResourceBundleWhenThereIsOne) {
    EXPECT_FALSE(VXColor::sdkImageNamed("vx_sticker_smile"));
    installSdkBundle();
    auto image = VXColor::sdkImageNamed("vx_sticker_smile");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size(), (cg::Size{32, 32}));
    EXPECT_TRUE(VXColor::sdkImageNamed("vx_sticker_smile.png"));
    EXPECT_FALSE(VXColor::sdkImageNamed("no_such_picture"));
}

class Panel : public ui::View {};

TEST_F(CategoriesTest, ViewFromXibAnswersTheLastTopLevelObjectOfTheSdkBundlesFile) {
    installSdkBundle();
    auto header = ui::View::create();
    ui::NibRegistry::add("VOZUV", "Panel", [header](const ns::Ref<ns::Object>&) {
        return ui::NibObjects{header, ui::View::create<Panel>(cg::RectMake(0, 0, 300, 310))};
    });
    auto panel = Extension::ViewFromXib<Panel>();
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->frame().size, (cg::Size{300, 310}));
    EXPECT_NE(Extension::ViewFromXib<Panel>(), panel); // a fresh one each time
    ui::NibRegistry::remove("VOZUV", "Panel");
    EXPECT_THROW(Extension::ViewFromXib<Panel>(), ns::Exception);
}

TEST_F(CategoriesTest, ImageAndTitleSitOnTheAskedSideWithTheGap) {
    installSdkBundle();
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(cg::RectMake(0, 0, 120, 90));
    button->setImage(VXColor::sdkImageNamed("vx_sticker_star"), ui::ControlStateNormal);
    button->setTitle("优惠券", ui::ControlStateNormal);
    rootView()->addSubview(button);
    auto place = [&](int style) {
        VXImageTitleSpacing::layoutButtonWithEdgeInsetsStyle(button, style, 4);
        button->layoutSubviews();
        return std::pair{button->imageView()->frame(), button->titleLabel()->frame()};
    };
    auto [imageTop, titleBelow] = place(VXImageTitleSpacing::VXButtonEdgeInsetsStyleTop);
    EXPECT_NEAR(titleBelow.origin.y - cg::RectGetMaxY(imageTop), 4, 1e-9);
    EXPECT_NEAR(cg::RectGetMidX(imageTop), 60, 1e-9);
    EXPECT_NEAR(cg::RectGetMidX(titleBelow), 60, 1e-9);
    auto [imageBottom, titleAbove] = place(VXImageTitleSpacing::VXButtonEdgeInsetsStyleBottom);
    EXPECT_NEAR(imageBottom.origin.y - cg::RectGetMaxY(titleAbove), 4, 1e-9);
    auto [imageLeft, titleRight] = place(VXImageTitleSpacing::VXButtonEdgeInsetsStyleLeft);
    EXPECT_NEAR(titleRight.origin.x - cg::RectGetMaxX(imageLeft), 4, 1e-9);
    auto [imageRight, titleLeft] = place(VXImageTitleSpacing::VXButtonEdgeInsetsStyleRight);
    EXPECT_NEAR(imageRight.origin.x - cg::RectGetMaxX(titleLeft), 4, 1e-9);
    EXPECT_NEAR(cg::RectGetMidY(imageRight), cg::RectGetMidY(titleLeft), 1e-9);
}

TEST_F(CategoriesTest, CornerMaskRoundsOnlyTheAskedCorners) {
    auto tag = ui::View::create(cg::RectMake(0, 0, 60, 20));
    Extension::setCornerRadius(tag, 7, ui::RectCornerTopRight | ui::RectCornerBottomLeft);
    const auto& mask = tag->layer()->mask();
    ASSERT_TRUE(mask && mask->contents());
    const auto& bitmap = mask->contents();
    auto alphaAt = [&](size_t x, size_t y) { return bitmap->bytes()[y * bitmap->bytesPerRow() + x * 4 + 3]; };
    size_t w = bitmap->width() - 1, h = bitmap->height() - 1;
    EXPECT_EQ(alphaAt(0, 0), 255); // top left stays square
    EXPECT_EQ(alphaAt(w, 0), 0);   // top right rounded off
    EXPECT_EQ(alphaAt(0, h), 0);   // bottom left rounded off
    EXPECT_EQ(alphaAt(w, h), 255);
    EXPECT_EQ(alphaAt(w / 2, h / 2), 255);
}

TEST_F(CategoriesTest, ShowLabelMeasuresItsTextAtItsWidth) {
    auto label = ui::View::create<VXShowLabel>();
    label->setFont(ui::Font::systemFontOfSize(14));
    label->setW(100);
    double line = label->font()->lineHeight();
    label->setText("福利");
    EXPECT_EQ(label->maxHeight(), static_cast<long>(line));
    EXPECT_EQ(label->rows(), 1);
    std::string longText(60, 'w');
    longText += " 每日登录领取礼包，充值满额返利，活动期间另有惊喜。";
    label->setText(longText);
    EXPECT_GE(label->rows(), 4);
    EXPECT_EQ(label->maxHeight(), static_cast<long>(label->rows() * line));
    label->setText(std::nullopt);
    EXPECT_EQ(label->maxHeight(), 0);
    EXPECT_EQ(label->rows(), 0);
}

} // namespace
