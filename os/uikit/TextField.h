#pragma once
// A single-line text field. Typing goes through the delegate's shouldChangeCharacters with the
// UTF-16 range replaced; setting text in code asks no one. The return key offers "\n" to
// shouldChangeCharacters first (a NO stops there), then asks shouldReturn, then sends
// editing-did-end-on-exit; a newline is never inserted. Becoming first responder asks
// shouldBeginEditing, makes the field's window key and shows the keyboard; a tap focuses it.

#include "os/text/Font.h"
#include "os/uikit/Control.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextInput.h"

#include <optional>
#include <string>

namespace ui {

class TextField;
using TextFieldRef = ns::Ref<TextField>;

class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool shouldBeginEditing(const TextFieldRef& /*field*/) { return true; }
    virtual void didBeginEditing(const TextFieldRef& /*field*/) {}
    virtual bool shouldEndEditing(const TextFieldRef& /*field*/) { return true; }
    virtual void didEndEditing(const TextFieldRef& /*field*/) {}
    // range: UTF-16 units of the current text being replaced.
    virtual bool shouldChangeCharacters(const TextFieldRef& /*field*/, ns::Range /*range*/, const std::string& /*replacement*/) {
        return true;
    }
    virtual bool shouldClear(const TextFieldRef& /*field*/) { return true; }
    virtual bool shouldReturn(const TextFieldRef& /*field*/) { return true; }
};

enum class TextBorderStyle : int { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class TextFieldViewMode : int { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };

class TextField : public Control {
public:
    void initWithFrame(cg::Rect frame) override;

    const std::string& text() const { return text_; }
    void setText(std::string text);
    const std::optional<std::string>& placeholder() const { return placeholder_; }
    void setPlaceholder(std::optional<std::string> placeholder) { placeholder_ = std::move(placeholder); }
    FontRef font() const { return font_; }
    void setFont(FontRef font) { font_ = font ? std::move(font) : Font::systemFontOfSize(17); }
    ColorRef textColor() const { return textColor_; }
    void setTextColor(ColorRef color) { textColor_ = color ? std::move(color) : Color::blackColor(); }
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
    bool isSecureTextEntry() const { return secure_; }
    void setSecureTextEntry(bool secure) { secure_ = secure; }
    KeyboardType keyboardType() const { return keyboardType_; }
    void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
    ReturnKeyType returnKeyType() const { return returnKeyType_; }
    void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
    TextBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TextBorderStyle style) { borderStyle_ = style; }
    TextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
    void setClearButtonMode(TextFieldViewMode mode) { clearButtonMode_ = mode; }
    // What is shown: the text (bullets when secure), or the placeholder when empty.
    std::string displayText() const;

    ns::Weak<TextFieldDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }
    bool isEditing() const { return editing_; }

    void setInputView(ns::Ref<View> view) { inputView_ = std::move(view); } // reloadInputViews applies it
    void setInputAccessoryView(ns::Ref<View> view) { accessoryView_ = std::move(view); }
    ns::Ref<View> inputView() const override { return inputView_; }
    ns::Ref<View> inputAccessoryView() const override { return accessoryView_; }

    // --- Editing (what the keyboard does) ---
    // The selection in UTF-16 units; typing replaces it. At the end of the text after focusing
    // and after setText.
    ns::Range selectedRange() const { return selection_; }
    void setSelectedRange(ns::Range range);
    // Offers the replacement to the delegate; when allowed, changes the text, moves the
    // selection after the insertion, sends editing-changed and posts the change notification.
    bool replaceCharacters(ns::Range range, const std::string& replacement);
    bool insertText(const std::string& text) { return replaceCharacters(selection_, text); }
    // Removes the selection, or the one character before the caret.
    bool deleteBackward();
    // The return key (rule above); answers whether shouldReturn allowed it.
    bool pressReturn();
    // The clear button: empties the text when shouldClear allows it.
    bool clear();

    bool canBecomeFirstResponder() const override;
    bool canResignFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool wantsKeyboard() const override { return true; }
    void touchesEnded(const TouchSet& touches, const EventRef& event) override;

protected:
    void didBecomeFirstResponder() override;
    void didResignFirstResponder() override;

private:
    std::shared_ptr<TextFieldDelegate> liveDelegate() const { return delegate_.lock(); }

    std::string text_;
    std::optional<std::string> placeholder_;
    FontRef font_;
    ColorRef textColor_;
    TextAlignment alignment_ = TextAlignment::Natural;
    bool secure_ = false;
    KeyboardType keyboardType_ = KeyboardType::Default;
    ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
    TextBorderStyle borderStyle_ = TextBorderStyle::None;
    TextFieldViewMode clearButtonMode_ = TextFieldViewMode::Never;
    ns::Weak<TextFieldDelegate> delegate_;
    bool editing_ = false;
    ns::Ref<View> inputView_;
    ns::Ref<View> accessoryView_;
    ns::Range selection_{0, 0};
};

} // namespace ui
