#include "UIKitTestSupport.h"

#include "os/foundation/Format.h"
#include "os/foundation/NotificationCenter.h"
#include "os/uikit/GeometryValue.h"
#include "os/uikit/Keyboard.h"
#include "os/uikit/TextField.h"
#include "os/uikit/TextView.h"

using namespace uitest;

namespace {

// A delegate that records what it is asked and allows at most `limit` UTF-16 units.
class FieldDelegate : public ui::TextFieldDelegate {
public:
    std::vector<std::string> calls;
    size_t limit = 100;
    bool refuseNewline = false;
    bool allowBegin = true;

    bool shouldBeginEditing(const ui::TextFieldRef&) override {
        calls.push_back("shouldBegin");
        return allowBegin;
    }
    void didBeginEditing(const ui::TextFieldRef&) override { calls.push_back("didBegin"); }
    void didEndEditing(const ui::TextFieldRef&) override { calls.push_back("didEnd"); }
    bool shouldChangeCharacters(const ui::TextFieldRef& field, ns::Range range, const std::string& text) override {
        calls.push_back(ns::format("change %lu,%lu %@", range.location, range.length, text));
        if (text == "\n") {
            if (refuseNewline) field->resignFirstResponder();
            return !refuseNewline;
        }
        return ns::str::utf16Length(field->text()) - range.length + ns::str::utf16Length(text) <= limit;
    }
    bool shouldReturn(const ui::TextFieldRef&) override {
        calls.push_back("shouldReturn");
        return true;
    }
};

class TextFieldTest : public UIKitTest {
protected:
    ui::WindowRef window;
    ui::ViewControllerRef root;
    ui::TextFieldRef field;
    std::shared_ptr<FieldDelegate> delegate = std::make_shared<FieldDelegate>();

    void SetUp() override {
        UIKitTest::SetUp();
        root = ui::ViewController::create();
        window = showWindow(root);
        field = ui::View::create<ui::TextField>(cg::RectMake(20, 100, 200, 40));
        field->setDelegate(delegate);
        root->view()->addSubview(field);
    }
};

TEST_F(TextFieldTest, TypingOffersUtf16RangesAndTheDelegateMayRefuse) {
    ASSERT_TRUE(field->becomeFirstResponder());
    delegate->calls.clear();
    delegate->limit = 4;
    // The driver types one character at a time; the second emoji would make 5 units of 4.
    EXPECT_EQ(ui::driver::typeText(field, "a😀😀b"), 3u);
    EXPECT_EQ(field->text(), "a😀b");
    EXPECT_TRUE(field->deleteBackward());
    EXPECT_TRUE(field->deleteBackward());
    EXPECT_EQ(field->text(), "a");
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"change 0,0 a", "change 1,0 😀", "change 3,0 😀",
                                                        "change 3,0 b", "change 3,1 ", "change 1,2 "}));

    int changes = 0;
    field->addAction([&](ui::Control&) { ++changes; }, ui::ControlEventEditingChanged);
    field->setText("set in code");
    EXPECT_EQ(changes, 0) << "setting text asks no one";
    EXPECT_EQ(delegate->calls.size(), 6u);
}

TEST_F(TextFieldTest, TheReturnKeyOffersANewlineFirstAndNeverInsertsIt) {
    ASSERT_TRUE(field->becomeFirstResponder());
    field->insertText("abc");
    delegate->calls.clear();
    int exits = 0;
    field->addAction([&](ui::Control&) { ++exits; }, ui::ControlEventEditingDidEndOnExit);
    EXPECT_TRUE(field->pressReturn());
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"change 3,0 \n", "shouldReturn", "didEnd"}));
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(field->isFirstResponder()) << "an end-on-exit action resigns the field";
    EXPECT_EQ(field->text(), "abc");

    // A delegate that resigns on "\n" and refuses it: shouldReturn is never asked.
    delegate->refuseNewline = true;
    ASSERT_TRUE(field->becomeFirstResponder());
    delegate->calls.clear();
    EXPECT_FALSE(field->pressReturn());
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"change 3,0 \n", "didEnd"}));
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(field->text(), "abc");
}

TEST_F(TextFieldTest, FocusMakesTheFieldsWindowKeyAndMovesBetweenFields) {
    auto otherRoot = ui::ViewController::create();
    auto login = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    login->setRootViewController(otherRoot);
    login->setHidden(false);
    auto loginField = ui::View::create<ui::TextField>(cg::RectMake(0, 0, 100, 30));
    otherRoot->view()->addSubview(loginField);

    delegate->allowBegin = false;
    EXPECT_FALSE(field->becomeFirstResponder());
    delegate->allowBegin = true;
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isEditing());

    tap(loginField); // a tap focuses the field
    EXPECT_TRUE(loginField->isFirstResponder());
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(ui::Application::shared().keyWindow(), login);
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"shouldBegin", "shouldBegin", "didBegin", "didEnd"}));

    EXPECT_TRUE(otherRoot->view()->endEditing(false));
    EXPECT_EQ(ui::Responder::currentFirstResponder(), nullptr);
    auto detached = ui::View::create<ui::TextField>();
    EXPECT_FALSE(detached->becomeFirstResponder()) << "a field outside any window cannot edit";
}

TEST_F(TextFieldTest, TheKeyboardPostsWillAtOnceAndDidAfterItsAnimation) {
    std::vector<double> endY;
    auto& center = ns::NotificationCenter::defaultCenter();
    std::vector<ns::NotificationCenter::Token> tokens;
    for (const auto& name : {ui::KeyboardWillShowNotification, ui::KeyboardDidShowNotification,
                             ui::KeyboardWillHideNotification, ui::KeyboardDidHideNotification,
                             ui::KeyboardWillChangeFrameNotification}) {
        tokens.push_back(center.addObserver(name, nullptr, [&](const ns::Notification& n) {
            log->push_back(n.name.substr(10, n.name.size() - 22)); // "WillShow", "DidHide", ...
            if (auto frame = ui::GeometryValue::rectFrom(n.userInfo[ui::KeyboardFrameEndUserInfoKey]))
                endY.push_back(frame->origin.y);
            EXPECT_EQ(n.userInfo[ui::KeyboardAnimationDurationUserInfoKey].doubleValue(), 0.25);
        }));
    }
    auto second = ui::View::create<ui::TextField>(cg::RectMake(20, 200, 200, 40));
    root->view()->addSubview(second);

    field->becomeFirstResponder();
    EXPECT_EQ(take(log), "WillChangeFrame WillShow");
    EXPECT_TRUE(ui::Keyboard::shared().isVisible());
    advance(0.25);
    EXPECT_EQ(take(log), "DidShow");
    second->becomeFirstResponder(); // focus moves: shown again, never hidden
    EXPECT_EQ(take(log), "WillChangeFrame WillShow");
    second->setInputView(ui::View::create(cg::RectMake(0, 0, 375, 300)));
    second->reloadInputViews();
    EXPECT_EQ(take(log), "WillChangeFrame WillShow");
    EXPECT_EQ(ui::Keyboard::shared().frame().size.height, 300);

    root->view()->endEditing(true);
    EXPECT_EQ(take(log), "WillChangeFrame WillHide");
    advance(0.25);
    EXPECT_EQ(log->back(), "DidHide");
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
    double h = ui::Screen::mainScreen().bounds().size.height;
    EXPECT_EQ(endY.front(), h - 216);
    EXPECT_EQ(endY.back(), h);
    for (auto token : tokens) center.removeObserver(token);
}

class NoNewlineDelegate : public ui::TextViewDelegate {
public:
    std::vector<std::string> changes;
    bool shouldChangeText(const ui::TextViewRef&, ns::Range range, const std::string& text) override {
        changes.push_back(ns::format("%lu,%lu", range.location, range.length));
        return text != "\n";
    }
};

TEST_F(TextFieldTest, ATextViewTypesNewlinesUnlessItsDelegateRefuses) {
    auto textView = ui::View::create<ui::TextView>(cg::RectMake(0, 300, 300, 40));
    root->view()->addSubview(textView);
    ASSERT_TRUE(textView->becomeFirstResponder());
    textView->insertText("ab");
    double oneLine = textView->contentSize().height;
    EXPECT_TRUE(textView->pressReturn());
    textView->insertText("c");
    EXPECT_EQ(textView->text(), "ab\nc");
    EXPECT_EQ(textView->contentSize().height - oneLine, textView->font()->lineHeight());

    auto delegate = std::make_shared<NoNewlineDelegate>();
    textView->setDelegate(delegate);
    EXPECT_FALSE(textView->pressReturn());
    EXPECT_TRUE(textView->insertText("x"));
    EXPECT_EQ(delegate->changes, (std::vector<std::string>{"4,0", "4,0"}));

    textView->setEditable(false);
    EXPECT_FALSE(textView->isFirstResponder());
    EXPECT_FALSE(textView->becomeFirstResponder()) << "a read-only text view takes no focus";
}

} // namespace
