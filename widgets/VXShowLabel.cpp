#include "widgets/VXShowLabel.h"

#include "os/text/StringDrawing.h"

void VXShowLabel::setText(std::optional<std::string> text) {
    ui::Label::setText(text);
    ui::FontRef f = font();
    cg::Rect rect = vx::text::boundingRect(text.value_or(""), {w_, 0}, vx::text::UsesLineFragmentOrigin,
                                       ns::Dictionary{{ns::FontAttributeName, f}});
    maxHeight_ = static_cast<long>(rect.size.height);
    double line = f->lineHeight();
    rows_ = line > 0 ? static_cast<long>(maxHeight_ / line) : 0;
}
