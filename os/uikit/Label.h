#pragma once
// A label: plain or attributed text with a font, colour, alignment, line count and line breaking.
// Setting text replaces the attributed text and the other way round. Not interactive and not
// opaque by default. Its fitting size comes from the text layout (os/text).

#include "os/foundation/AttributedString.h"
#include "os/text/Font.h"
#include "os/text/StringDrawing.h"
#include "os/uikit/View.h"

#include <optional>

namespace ui {

class Label;
using LabelRef = ns::Ref<Label>;

using TextAlignment = vx::text::Alignment;
using LineBreakMode = vx::text::LineBreakMode;

class Label : public View {
public:
    void initWithFrame(cg::Rect frame) override;

    const std::optional<std::string>& text() const { return text_; }
    virtual void setText(std::optional<std::string> text);
    // The attributed form: the text with the label's font and colour when set as plain text.
    std::optional<ns::AttributedString> attributedText() const;
    void setAttributedText(std::optional<ns::AttributedString> text);
    bool hasAttributedText() const { return attributed_.has_value(); }

    FontRef font() const { return font_; }
    void setFont(FontRef font); // none: the system font of size 17
    ColorRef textColor() const { return textColor_; }
    void setTextColor(ColorRef color); // none: black
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
    long numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(long lines) { numberOfLines_ = lines; }
    LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(LineBreakMode mode) { lineBreakMode_ = mode; }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }

    // The layout style the label draws with.
    vx::text::Style style() const;
    cg::Size sizeThatFits(cg::Size size) const override;
    cg::Size intrinsicContentSize() const override;

private:
    std::optional<std::string> text_;
    std::optional<ns::AttributedString> attributed_;
    FontRef font_;
    ColorRef textColor_;
    TextAlignment alignment_ = TextAlignment::Natural;
    long numberOfLines_ = 1;
    LineBreakMode lineBreakMode_ = LineBreakMode::TruncatingTail;
    bool highlighted_ = false;
};

} // namespace ui
