#include "os/uikit/TextField.h"

#include "os/foundation/NotificationCenter.h"

namespace ui {
namespace {

ns::Range clampRange(ns::Range range, size_t length) {
    size_t location = std::min(range.location, length);
    return {location, std::min(range.length, length - location)};
}

} // namespace

void TextField::initWithFrame(cg::Rect frame) {
    Control::initWithFrame(frame);
    setOpaque(false);
    font_ = Font::systemFontOfSize(17);
    textColor_ = Color::blackColor();
    setContentVerticalAlignment(ControlContentVerticalAlignment::Center);
}

void TextField::setText(std::string text) {
    text_ = std::move(text);
    selection_ = {ns::str::utf16Length(text_), 0};
    setNeedsDisplay();
}

std::string TextField::displayText() const {
    if (text_.empty()) return placeholder_.value_or("");
    if (!secure_) return text_;
    std::string bullets;
    for (size_t i = 0, n = ns::str::utf16Length(text_); i < n; ++i) bullets += "\xE2\x80\xA2";
    return bullets;
}

void TextField::setSelectedRange(ns::Range range) { selection_ = clampRange(range, ns::str::utf16Length(text_)); }

bool TextField::replaceCharacters(ns::Range range, const std::string& replacement) {
    TextFieldRef self = ref<TextField>();
    range = clampRange(range, ns::str::utf16Length(text_));
    if (auto d = liveDelegate(); d && !d->shouldChangeCharacters(self, range, replacement)) return false;
    text_ = ns::str::utf16ReplacingCharacters(text_, range, replacement);
    selection_ = {range.location + ns::str::utf16Length(replacement), 0};
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEventEditingChanged);
    ns::NotificationCenter::defaultCenter().post(TextFieldTextDidChangeNotification, self);
    return true;
}

bool TextField::deleteBackward() {
    ns::Range range = selection_.length ? selection_ : characterRangeBefore(text_, selection_.location);
    if (range.length == 0) return false;
    return replaceCharacters(range, "");
}

bool TextField::pressReturn() {
    TextFieldRef self = ref<TextField>();
    auto d = liveDelegate();
    if (d && !d->shouldChangeCharacters(self, clampRange(selection_, ns::str::utf16Length(text_)), "\n")) return false;
    d = liveDelegate();
    bool allowed = d ? d->shouldReturn(self) : true;
    if (allowed) {
        bool exits = allControlEvents() & ControlEventEditingDidEndOnExit;
        sendActionsForControlEvents(ControlEventEditingDidEndOnExit);
        if (exits) resignFirstResponder();
    }
    return allowed;
}

bool TextField::clear() {
    TextFieldRef self = ref<TextField>();
    if (auto d = liveDelegate(); d && !d->shouldClear(self)) return false;
    text_.clear();
    selection_ = {0, 0};
    sendActionsForControlEvents(ControlEventEditingChanged);
    ns::NotificationCenter::defaultCenter().post(TextFieldTextDidChangeNotification, self);
    return true;
}

// --- Focus ---

bool TextField::canBecomeFirstResponder() const { return isEnabled(); }

bool TextField::canResignFirstResponder() const {
    auto d = delegate_.lock();
    return d ? d->shouldEndEditing(std::const_pointer_cast<TextField>(ref<TextField>())) : true;
}

bool TextField::becomeFirstResponder() {
    if (isFirstResponder()) return true;
    if (!canBecomeFirstResponder() || !window()) return false;
    TextFieldRef self = ref<TextField>();
    if (auto d = liveDelegate(); d && !d->shouldBeginEditing(self)) return false;
    return Control::becomeFirstResponder();
}

void TextField::didBecomeFirstResponder() {
    TextFieldRef self = ref<TextField>();
    editing_ = true;
    selection_ = {ns::str::utf16Length(text_), 0};
    if (auto d = liveDelegate()) d->didBeginEditing(self);
    sendActionsForControlEvents(ControlEventEditingDidBegin);
    ns::NotificationCenter::defaultCenter().post(TextFieldTextDidBeginEditingNotification, self);
}

void TextField::didResignFirstResponder() {
    TextFieldRef self = ref<TextField>();
    editing_ = false;
    if (auto d = liveDelegate()) d->didEndEditing(self);
    sendActionsForControlEvents(ControlEventEditingDidEnd);
    ns::NotificationCenter::defaultCenter().post(TextFieldTextDidEndEditingNotification, self);
}

void TextField::touchesEnded(const TouchSet& touches, const EventRef& event) {
    bool tracking = isTracking();
    Control::touchesEnded(touches, event);
    if (tracking && isTouchInside() && !isFirstResponder()) becomeFirstResponder();
}

} // namespace ui
