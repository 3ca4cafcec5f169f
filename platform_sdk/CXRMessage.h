#pragma once
// A short text shown over a view for about two seconds; each call makes its own box, so boxes
// shown in quick succession lie on top of each other.
#include "os/uikit/View.h"

#include <optional>
#include <string>

class CXRMessage {
public:
    // Shows the text on the view; a nil text shows nothing, an empty one an empty box.
    static void showMessage(const std::optional<std::string>& message, const ui::ViewRef& superview);
    // The same on CXRWindowManager's top window.
    static void showMessage(const std::optional<std::string>& message);
    // The width the text needs on one line in the regular system font of that size (13 for 0 or
    // less); nil or empty text is measured as "无", a negative height counts as 0.
    static double getWidthWithText(const std::optional<std::string>& text, double height, double font);
};
