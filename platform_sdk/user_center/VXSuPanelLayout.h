#pragma once
// Pieces the user centre's interface-file builders share: the white panel card, its title, input
// rows and the purple commit button. Builders only; no behaviour.

#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextField.h"

#include <string>

namespace VXSuPanelLayout {

inline constexpr const char* Purple = "#6137E7";

ui::ViewRef card(cg::Rect frame);
ui::LabelRef title(const ui::ViewRef& card, const std::string& text);
// The "×" in the card's top right corner.
ui::ButtonRef closeButton(const ui::ViewRef& card);
// A grey rounded row holding a borderless field.
ui::TextFieldRef inputRow(const ui::ViewRef& card, cg::Rect frame, const std::string& placeholder);
ui::ButtonRef commitButton(const ui::ViewRef& card, cg::Rect frame, const std::string& title);
ui::LabelRef label(cg::Rect frame, const std::string& text, double size, const std::string& hexColour,
                   double weight = 0);

} // namespace VXSuPanelLayout
