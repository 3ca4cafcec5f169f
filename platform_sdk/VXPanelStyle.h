#pragma once
// The look shared by the login window's interface files: bordered fields, filled buttons, the
// agreement check box and link. Used by the builders only.

#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextField.h"

#include <string>

namespace VXPanelStyle {

ui::ColorRef accent();    // "#4988FD"
ui::ColorRef textGrey();  // "#999999"

// A field with the platform's rounded-rect border, 15-pt text and a placeholder.
ui::TextFieldRef field(cg::Rect frame, const std::string& placeholder, bool secure = false);
// A filled accent button with a white bold title.
ui::ButtonRef filledButton(cg::Rect frame, const std::string& title);
// A bordered button with a grey title ("#999999" border).
ui::ButtonRef outlinedButton(cg::Rect frame, const std::string& title);
// A plain text button in the given colour.
ui::ButtonRef textButton(cg::Rect frame, const std::string& title, const ui::ColorRef& color, double size = 13);
// The agreement check box: unticked and ticked pictures, unselected at start.
ui::ButtonRef checkBox(cg::Rect frame);
ui::LabelRef label(cg::Rect frame, const std::string& text, double size = 13, const ui::ColorRef& color = nullptr);

} // namespace VXPanelStyle
