#include "os/uikit/TextView.h"

#include "os/foundation/NotificationCenter.h"

#include <cmath>

namespace ui {
namespace {

// Space the text container keeps on each side of a line.
constexpr double LineFragmentPadding = 5;

ns::Range clampRange(ns::Range range, size_t length) {
    size_t location = std::min(range.location, length);
    return {location, std::min(range.length, length - location)};
}

} // namespace

void TextView::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    font_ = Font::systemFontOfSize(12);
    textColor_ = Color::blackColor();
    setClipsToBounds(true);
}

void TextView::setText(std::string text) {
    text_ = std::move(text);
    attributed_.reset();
    selection_ = {ns::str::utf16Length(text_), 0};
    setNeedsDisplay();
}

ns::AttributedString TextView::attributedText() const {
    if (attributed_) return *attributed_;
    return ns::AttributedString(text_, {{ns::FontAttributeName, font_}, {ns::ForegroundColorAttributeName, textColor_}});
}

void TextView::setAttributedText(const ns::AttributedString& text) {
    attributed_ = text;
    text_ = text.string();
    selection_ = {ns::str::utf16Length(text_), 0};
    setNeedsDisplay();
}

void TextView::setEditable(bool editable) {
    editable_ = editable;
    if (!editable && isFirstResponder()) forceResignFirstResponder();
}

void TextView::setSelectedRange(ns::Range range) { selection_ = clampRange(range, ns::str::utf16Length(text_)); }

bool TextView::replaceCharacters(ns::Range range, const std::string& replacement) {
    TextViewRef self = ref<TextView>();
    range = clampRange(range, ns::str::utf16Length(text_));
    if (auto d = delegate_.lock(); d && !d->shouldChangeText(self, range, replacement)) return false;
    text_ = ns::str::utf16ReplacingCharacters(text_, range, replacement);
    attributed_.reset();
    selection_ = {range.location + ns::str::utf16Length(replacement), 0};
    setNeedsDisplay();
    if (auto d = delegate_.lock()) d->didChange(self);
    ns::NotificationCenter::defaultCenter().post(TextViewTextDidChangeNotification, self);
    return true;
}

bool TextView::deleteBackward() {
    ns::Range range = selection_.length ? selection_ : characterRangeBefore(text_, selection_.location);
    if (range.length == 0) return false;
    return replaceCharacters(range, "");
}

cg::Size TextView::measure(double width) const {
    double lineWidth = width - inset_.left - inset_.right - 2 * LineFragmentPadding;
    if (lineWidth <= 0) lineWidth = 1;
    cg::Rect r = attributed_
                     ? vx::text::boundingRect(*attributed_, {lineWidth, 0}, vx::text::UsesLineFragmentOrigin)
                     : vx::text::boundingRect(text_, {lineWidth, 0}, vx::text::UsesLineFragmentOrigin,
                                          ns::Dictionary{{ns::FontAttributeName, font_}});
    double height = text_.empty() ? font_->lineHeight() : std::ceil(r.size.height);
    return {width, height + inset_.top + inset_.bottom};
}

cg::Size TextView::contentSize() const { return measure(bounds().size.width); }

cg::Size TextView::sizeThatFits(cg::Size size) const {
    return measure(size.width > 0 ? size.width : bounds().size.width);
}

// --- Focus ---

bool TextView::canResignFirstResponder() const {
    auto d = delegate_.lock();
    return d ? d->shouldEndEditing(std::const_pointer_cast<TextView>(ref<TextView>())) : true;
}

bool TextView::becomeFirstResponder() {
    if (isFirstResponder()) return true;
    if (!canBecomeFirstResponder() || !window()) return false;
    TextViewRef self = ref<TextView>();
    if (auto d = delegate_.lock(); d && !d->shouldBeginEditing(self)) return false;
    return View::becomeFirstResponder();
}

void TextView::didBecomeFirstResponder() {
    TextViewRef self = ref<TextView>();
    editing_ = true;
    selection_ = {ns::str::utf16Length(text_), 0};
    if (auto d = delegate_.lock()) d->didBeginEditing(self);
    ns::NotificationCenter::defaultCenter().post(TextViewTextDidBeginEditingNotification, self);
}

void TextView::didResignFirstResponder() {
    TextViewRef self = ref<TextView>();
    editing_ = false;
    if (auto d = delegate_.lock()) d->didEndEditing(self);
    ns::NotificationCenter::defaultCenter().post(TextViewTextDidEndEditingNotification, self);
}

void TextView::touchesEnded(const TouchSet& touches, const EventRef& event) {
    if (editable_) {
        if (!isFirstResponder()) becomeFirstResponder();
        return;
    }
    View::touchesEnded(touches, event);
}

} // namespace ui
