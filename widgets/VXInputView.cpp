#include "widgets/VXInputView.h"

#include "os/foundation/Strings.h"
#include "os/uikit/GeometryValue.h"
#include "os/uikit/Keyboard.h"
#include "os/uikit/Screen.h"
#include "widgets/UIColor+XTExtention.h"

#include <algorithm>
#include <cmath>

namespace {

// The attachment character a sticker occupies in the text.
const std::string Marker = "\xEF\xBF\xBC";

constexpr double Margin = 10;
constexpr double VerticalMargin = 7;
constexpr double Gap = 8;
constexpr double KeySize = 30;
constexpr double SendWidth = 54;
// The text view's height for one line: the collapsed bar less the vertical margins.
constexpr double OneLineHeight = VXInputView::CollapsedHeight - 2 * VerticalMargin;

size_t countMarkers(std::string_view text) {
    size_t count = 0;
    for (size_t at = text.find(Marker); at != std::string_view::npos; at = text.find(Marker, at + Marker.size())) ++count;
    return count;
}

ui::FontRef barFont() { return ui::Font::systemFontOfSize(VXInputView::FontSize); }

} // namespace

void VXInputView::initWithFrame(cg::Rect frame) {
    ui::View::initWithFrame(frame);
    VXInputViewRef self = ref<VXInputView>();
    setBackgroundColor(ui::Color::whiteColor());

    topLine_ = ui::View::create();
    topLine_->setBackgroundColor(ui::Color::colorWithWhite(0.9, 1));
    addSubview(topLine_);

    textView_ = ui::View::create<ui::TextView>();
    ui::FontRef font = barFont();
    textView_->setFont(font);
    double pad = std::max(0.0, std::floor((OneLineHeight - font->lineHeight()) / 2));
    textView_->setTextContainerInset({pad, 0, pad, 0});
    textView_->setReturnKeyType(ui::ReturnKeyType::Send);
    textView_->setBackgroundColor(ui::Color::colorWithWhite(0.96, 1));
    textView_->layer()->setCornerRadius(4);
    // The delegate roles are private bases: aliasing pointers reach them from here.
    textView_->setDelegate(ns::Ref<ui::TextViewDelegate>(self, static_cast<ui::TextViewDelegate*>(this)));
    addSubview(textView_);

    stickerKeyboard_ = VXStickerKeyboard::keyboard();
    stickerKeyboard_->setDelegate(ns::Ref<VXStickerKeyboardDelegate>(self, static_cast<VXStickerKeyboardDelegate*>(this)));

    stickerButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    if (auto image = VXSticker::all().front().image()) stickerButton_->setImage(image, ui::ControlStateNormal);
    else stickerButton_->setTitle("表情", ui::ControlStateNormal);
    // While the stickers show, the key brings the system keyboard back.
    stickerButton_->setTitle("键盘", ui::ControlStateSelected);
    stickerButton_->setImage(nullptr, ui::ControlStateSelected);
    stickerButton_->setTitleColor(ui::Color::darkGrayColor(), ui::ControlStateNormal);
    stickerButton_->titleLabel()->setFont(ui::Font::systemFontOfSize(12));
    ns::Weak<VXInputView> weak = self;
    stickerButton_->addAction([weak](ui::Control&) {
        if (auto bar = weak.lock()) bar->toggleStickerKeyboard();
    }, ui::ControlEventTouchUpInside);
    addSubview(stickerButton_);

    sendButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    sendButton_->setTitle("发送", ui::ControlStateNormal);
    sendButton_->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
    sendButton_->titleLabel()->setFont(ui::Font::systemFontOfSize(15));
    sendButton_->setBackgroundColor(XTExtention::colorWithHexString("#6137E7"));
    sendButton_->layer()->setCornerRadius(4);
    sendButton_->addAction([weak](ui::Control&) {
        if (auto bar = weak.lock()) bar->send();
    }, ui::ControlEventTouchUpInside);
    addSubview(sendButton_);

    ns::NotificationCenter::defaultCenter().addObserver(self, &VXInputView::keyboardWillChangeFrame,
                                                       ui::KeyboardWillChangeFrameNotification);
}

VXInputView::~VXInputView() { ns::NotificationCenter::defaultCenter().removeObserver(this); }

// --- Size ---

double VXInputView::textWidth() const {
    double width = bounds().size.width;
    if (width <= 0) width = ui::Screen::mainScreen().bounds().size.width;
    return std::max(1.0, width - 2 * Margin - 2 * Gap - KeySize - SendWidth);
}

double VXInputView::heightThatFits() const {
    if (textView_->text().empty()) return CollapsedHeight;
    double textHeight = textView_->sizeThatFits({textWidth(), 0}).height;
    ui::EdgeInsets inset = textView_->textContainerInset();
    double line = textView_->font()->lineHeight();
    double oneLine = line + inset.top + inset.bottom;
    textHeight = std::min(std::ceil(textHeight), oneLine + (MaximumLines - 1) * line);
    // Each line past the first adds its height to the collapsed bar.
    return CollapsedHeight + std::max(0.0, textHeight - oneLine);
}

void VXInputView::updateHeight() {
    double height = heightThatFits();
    cg::Rect f = frame();
    // Not placed by its owner yet: the owner sizes it with heightThatFits.
    if (f.size.height <= 0 || f.size.height == height) return;
    double bottom = cg::RectGetMaxY(f);
    setFrame(cg::RectMake(f.origin.x, bottom - height, f.size.width, height));
}

void VXInputView::layoutSubviews() {
    cg::Rect b = bounds();
    topLine_->setFrame(cg::RectMake(0, 0, b.size.width, 0.5));
    double width = textWidth();
    textView_->setFrame(cg::RectMake(Margin, VerticalMargin, width, std::max(0.0, b.size.height - 2 * VerticalMargin)));
    double keyY = b.size.height - VerticalMargin - KeySize;
    stickerButton_->setFrame(cg::RectMake(Margin + width + Gap, keyY, KeySize, KeySize));
    sendButton_->setFrame(cg::RectMake(Margin + width + 2 * Gap + KeySize, keyY, SendWidth, KeySize));
}

// --- Text ---

std::string VXInputView::plainText() const {
    const std::string& text = textView_->text();
    std::string out;
    size_t sticker = 0, from = 0;
    for (size_t at = text.find(Marker); at != std::string::npos; at = text.find(Marker, from)) {
        out.append(text, from, at - from);
        if (sticker < stickers_.size()) out += stickers_[sticker].sticker.text;
        ++sticker;
        from = at + Marker.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

void VXInputView::clearText() {
    stickers_.clear();
    textView_->setText("");
    textView_->setFont(barFont());
    updateHeight();
    if (textView_->isFirstResponder()) endEditing(true);
}

bool VXInputView::shouldChangeText(const ui::TextViewRef&, ns::Range range, const std::string& replacement) {
    if (replacement == "\n") {
        send();
        return false;
    }
    // Attachment characters come only from the sticker keyboard.
    bool sticker = inserting_ && replacement == Marker;
    if (!sticker && replacement.find(Marker) != std::string::npos) return false;
    // Keep one entry per attachment character: drop those replaced, add the one inserted.
    const std::string& text = textView_->text();
    auto first = static_cast<long>(countMarkers(ns::str::utf16SubstringTo(text, range.location)));
    auto replaced = static_cast<long>(countMarkers(ns::str::utf16Substring(text, range.location, range.length)));
    stickers_.erase(stickers_.begin() + first, stickers_.begin() + first + replaced);
    if (sticker) stickers_.insert(stickers_.begin() + first, {*inserting_, inserting_->attachment(textView_->font())});
    return true;
}

void VXInputView::didChange(const ui::TextViewRef&) {
    restoreAttachments();
    updateHeight();
}

void VXInputView::restoreAttachments() {
    if (stickers_.empty()) return;
    const std::string text = textView_->text();
    ns::Range selection = textView_->selectedRange();
    ns::AttributedString attributed(text, {{ns::FontAttributeName, textView_->font()},
                                           {ns::ForegroundColorAttributeName, textView_->textColor()}});
    size_t sticker = 0, from = 0, index16 = 0;
    for (size_t at = text.find(Marker); at != std::string::npos && sticker < stickers_.size();
         at = text.find(Marker, from)) {
        index16 += ns::str::utf16Length(std::string_view(text).substr(from, at - from));
        attributed.addAttribute(ns::AttachmentAttributeName, ns::Value(stickers_[sticker].attachment), {index16, 1});
        ++sticker;
        ++index16;
        from = at + Marker.size();
    }
    textView_->setAttributedText(attributed);
    textView_->setSelectedRange(selection);
}

void VXInputView::insertSticker(const VXSticker& sticker) {
    inserting_ = &sticker;
    textView_->insertText(Marker);
    inserting_ = nullptr;
}

void VXInputView::send() {
    if (auto delegate = delegate_.lock()) delegate->inputViewDidClickSendButton(ref<VXInputView>());
}

// --- The sticker keyboard ---

void VXInputView::toggleStickerKeyboard() {
    bool show = !isShowingStickers();
    textView_->setInputView(show ? ns::Ref<ui::View>(stickerKeyboard_) : nullptr);
    stickerButton_->setSelected(show);
    if (textView_->isFirstResponder()) textView_->reloadInputViews();
    else textView_->becomeFirstResponder();
}

void VXInputView::didEndEditing(const ui::TextViewRef&) {
    // The next edit starts on the system keyboard.
    textView_->setInputView(nullptr);
    stickerButton_->setSelected(false);
}

void VXInputView::stickerKeyboardDidSelectSticker(const VXStickerKeyboardRef&, const VXSticker& sticker) {
    insertSticker(sticker);
}

void VXInputView::stickerKeyboardDidClickDelete(const VXStickerKeyboardRef&) { textView_->deleteBackward(); }

void VXInputView::stickerKeyboardDidClickSend(const VXStickerKeyboardRef&) { send(); }

// --- Keyboard ---

void VXInputView::keyboardWillChangeFrame(const ns::Notification& notification) {
    auto superview = this->superview();
    auto end = ui::GeometryValue::rectFrom(notification.userInfo[ui::KeyboardFrameEndUserInfoKey]);
    if (!superview || !end) return;
    double duration = notification.userInfo[ui::KeyboardAnimationDurationUserInfoKey].doubleValue();
    double bottom = 0;
    if (ui::Keyboard::shared().isVisible() && textView_->isFirstResponder()) {
        if (!raised_) {
            restingBottom_ = cg::RectGetMaxY(frame());
            raised_ = true;
        }
        bottom = superview->convertRectFromView(*end, nullptr).origin.y;
    } else if (raised_) {
        raised_ = false;
        bottom = restingBottom_;
    } else {
        return;
    }
    cg::Rect f = frame();
    f.origin.y = bottom - f.size.height;
    ui::View::animate(duration, [this, f] { setFrame(f); });
}
