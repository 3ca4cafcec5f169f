#include "WidgetTestSupport.h"

#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Keyboard.h"
#include "os/uikit/TextAttachment.h"
#include "widgets/VXInputView.h"

using namespace widgettest;
namespace driver = ui::driver;

namespace {

class Comments : public VXInputViewDelegate {
public:
    std::vector<std::string> sent;
    void inputViewDidClickSendButton(const VXInputViewRef& bar) override { sent.push_back(bar->plainText()); }
};

class InputViewTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        installSdkBundle();
        bar = ui::View::create<VXInputView>();
        bar->setDelegate(comments);
        double h = bar->heightThatFits();
        bar->setFrame(cg::RectMake(0, screenHeight - h, 375, h));
        rootView()->addSubview(bar);
        drainMain();
    }

    void tapSticker(size_t index) {
        bar->stickerKeyboard()->pages().front()->stickerButtons().at(index)->sendActionsForControlEvents(
            ui::ControlEventTouchUpInside);
    }
    double keyboardTop() const { return ui::Keyboard::shared().frame().origin.y; }

    const double screenHeight = 667;
    std::shared_ptr<Comments> comments = std::make_shared<Comments>();
    VXInputViewRef bar;
};

TEST_F(InputViewTest, GrowsWithItsTextAndSitsOnTheKeyboard) {
    EXPECT_EQ(bar->heightThatFits(), VXInputView::CollapsedHeight);
    driver::focus(bar->textView());
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    EXPECT_EQ(cg::RectGetMaxY(bar->frame()), keyboardTop());
    EXPECT_EQ(keyboardTop(), screenHeight - ui::DeviceProfile::keyboardHeight());

    driver::typeText(bar->textView(), "好评");
    EXPECT_EQ(bar->frame().size.height, VXInputView::CollapsedHeight); // one line
    double line = bar->textView()->font()->lineHeight();
    driver::typeText(bar->textView(), "这个游戏的画面非常精致，剧情也很吸引人，推荐大家");
    double twoLines = bar->frame().size.height;
    EXPECT_EQ(twoLines, VXInputView::CollapsedHeight + line);
    EXPECT_EQ(cg::RectGetMaxY(bar->frame()), keyboardTop()); // grows upwards
    std::string manyLines(40, ' ');
    for (int i = 0; i < 76; ++i) manyLines += "。";
    driver::typeText(bar->textView(), manyLines);
    EXPECT_EQ(bar->frame().size.height, VXInputView::CollapsedHeight + (VXInputView::MaximumLines - 1) * line);

    bar->clearText();
    EXPECT_EQ(bar->textView()->text(), "");
    EXPECT_EQ(bar->textView()->font()->pointSize(), 16);
    EXPECT_FALSE(bar->textView()->isFirstResponder());
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
    EXPECT_EQ(bar->frame(), cg::RectMake(0, screenHeight - 44, 375, 44)); // back where it was
}

TEST_F(InputViewTest, MeasuresAtTheScreenWidthBeforeItIsPlaced) {
    EXPECT_EQ(ui::View::create<VXInputView>()->heightThatFits(), VXInputView::CollapsedHeight);
}

TEST_F(InputViewTest, StickersTurnBackIntoTheirTextForms) {
    driver::typeText(bar->textView(), "好😀");
    driver::tap(bar->stickerButton());
    EXPECT_TRUE(bar->isShowingStickers());
    EXPECT_EQ(ui::Keyboard::shared().frame().size.height, VXStickerKeyboard::Height);
    EXPECT_EQ(cg::RectGetMaxY(bar->frame()), keyboardTop());
    tapSticker(0);
    driver::typeText(bar->textView(), "!");
    EXPECT_EQ(bar->plainText(), "好😀[微笑]!");

    // The picture stays on its character after more typing: 好 (1 unit) + 😀 (2 units).
    auto attachment = bar->textView()->attributedText().attributes(3)[ns::AttachmentAttributeName]
                          .objectAs<ui::TextAttachment>();
    ASSERT_TRUE(attachment);
    EXPECT_TRUE(attachment->image());
    EXPECT_FALSE(bar->textView()->attributedText().attributes(4).contains(ns::AttachmentAttributeName));

    // A sticker put between two characters; the caret stays after it.
    bar->textView()->setSelectedRange({1, 0});
    tapSticker(1);
    EXPECT_EQ(bar->plainText(), "好[大笑]😀[微笑]!");
    EXPECT_EQ(bar->textView()->selectedRange().location, 2u);

    // Deleting from the sticker keyboard takes whole characters, stickers and emoji alike.
    bar->textView()->setSelectedRange({6, 0});
    auto erase = [&] { bar->stickerKeyboard()->pages().front()->deleteButton()->sendActionsForControlEvents(
                           ui::ControlEventTouchUpInside); };
    erase();
    EXPECT_EQ(bar->plainText(), "好[大笑]😀[微笑]");
    erase();
    EXPECT_EQ(bar->plainText(), "好[大笑]😀");
    erase();
    EXPECT_EQ(bar->plainText(), "好[大笑]");
    erase();
    EXPECT_EQ(bar->plainText(), "好");

    // Replacing a selection that holds a sticker drops it.
    tapSticker(6);
    driver::typeText(bar->textView(), "尾");
    bar->textView()->setSelectedRange({0, 2});
    bar->textView()->insertText("新");
    EXPECT_EQ(bar->plainText(), "新尾");

    // An attachment character does not come from typing.
    EXPECT_EQ(driver::typeText(bar->textView(), "\xEF\xBF\xBC"), 0u);
    EXPECT_EQ(bar->plainText(), "新尾");

    driver::tap(bar->stickerButton()); // back to the system keyboard
    EXPECT_FALSE(bar->isShowingStickers());
    EXPECT_EQ(ui::Keyboard::shared().frame().size.height, ui::DeviceProfile::keyboardHeight());
}

TEST_F(InputViewTest, SendsOnTheSendKeyTheReturnKeyAndTheStickerKeyboard) {
    driver::typeText(bar->textView(), "第一条");
    EXPECT_FALSE(driver::pressReturn(bar->textView()));
    EXPECT_EQ(bar->textView()->text(), "第一条"); // no newline
    driver::tap(bar->sendButton());
    driver::tap(bar->stickerButton());
    tapSticker(7);
    bar->stickerKeyboard()->sendButton()->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    EXPECT_EQ(comments->sent, (std::vector<std::string>{"第一条", "第一条", "第一条[星星]"}));

    bar->clearText();
    driver::tap(bar->sendButton()); // empty text is sent too: the bar checks nothing
    EXPECT_EQ(comments->sent.back(), "");
    bar->setDelegate({});
    driver::tap(bar->sendButton());
    EXPECT_EQ(comments->sent.size(), 4u);
}

} // namespace
