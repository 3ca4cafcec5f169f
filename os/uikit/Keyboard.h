#pragma once
// The on-screen keyboard stand-in. It follows the first responder: a text input gaining focus (or
// swapping its input view) shows it, losing focus with no other input taking over hides it.
// Each change posts the will-notifications at once and the did-notifications when the 0.25 s
// animation ends on the clock, with begin and end frames (GeometryValue), duration and curve.
// The height is the device profile's (or the input view's), plus the accessory view's.

#include "os/graphics/Geometry.h"
#include "os/uikit/Responder.h"

#include <string>

namespace ui {

inline const std::string KeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline const std::string KeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline const std::string KeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline const std::string KeyboardDidHideNotification = "UIKeyboardDidHideNotification";
inline const std::string KeyboardWillChangeFrameNotification = "UIKeyboardWillChangeFrameNotification";
inline const std::string KeyboardDidChangeFrameNotification = "UIKeyboardDidChangeFrameNotification";

inline const std::string KeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline const std::string KeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline const std::string KeyboardAnimationDurationUserInfoKey = "UIKeyboardAnimationDurationUserInfoKey";
inline const std::string KeyboardAnimationCurveUserInfoKey = "UIKeyboardAnimationCurveUserInfoKey";

class Keyboard {
public:
    static constexpr double AnimationDuration = 0.25;
    static constexpr long AnimationCurve = 7;

    static Keyboard& shared();

    bool isVisible() const { return visible_; }
    // Screen coordinates: the end frame of the last change (below the screen when hidden).
    cg::Rect frame() const { return frame_; }

    // Called after every first-responder change; gained is true when focus moved to it.
    void update(const ResponderRef& firstResponder, bool gained);
    // Hidden, no notifications pending.
    void reset();

private:
    Keyboard() = default;
    void change(cg::Rect end, bool show);

    bool visible_ = false;
    cg::Rect frame_ = cg::RectZero;
    unsigned long generation_ = 0;
};

} // namespace ui
