#pragma once
// Measuring and drawing plain and attributed text (the platform's string-drawing additions and
// what a label needs), laid out by pango with the system font.
//
// Layout rules: lines break at word boundaries (a word wider than the line breaks between
// characters; Chinese breaks between any two characters), or between any characters in char
// wrapping; "\n" always breaks. A line is as tall as the tallest font (or attachment) on it, in
// whole points, so n lines of one font are exactly n line heights. Widths are exact (fractional).
// Empty text measures zero. A width or height of 0 or less (or above 1e6) is unlimited.

#include "os/foundation/AttributedString.h"
#include "os/graphics/Context.h"
#include "os/graphics/Geometry.h"
#include "os/text/Font.h"

#include <string_view>

namespace vx::text {

// The platform's drawing option bits.
enum DrawingOptions : unsigned {
    UsesLineFragmentOrigin = 1u << 0,
    UsesFontLeading = 1u << 1,
    UsesDeviceMetrics = 1u << 3,
    TruncatesLastVisibleLine = 1u << 5,
};

enum class Alignment : int { Left = 0, Center = 1, Right = 2, Justified = 3, Natural = 4 };

enum class LineBreakMode : int {
    WordWrapping = 0, CharWrapping = 1, Clipping = 2, TruncatingHead = 3, TruncatingTail = 4, TruncatingMiddle = 5,
};

// How a label lays out its text. The font and colour apply to characters without their own.
struct Style {
    ui::FontRef font; // none: the system font of size 17
    cg::Color color{0, 0, 0, 1};
    Alignment alignment = Alignment::Natural;
    LineBreakMode lineBreakMode = LineBreakMode::WordWrapping;
    long numberOfLines = 1; // 0: as many as needed
};

// Bounding rectangle at a size. With UsesLineFragmentOrigin the text wraps at the width, the
// lines that fit the height count, and the origin is (0, 0); without it the text is one line
// (the first) and the origin is (0, -ascender), the baseline at y 0.
// Characters without a font use the system font of size 12.
cg::Rect boundingRect(std::string_view text, cg::Size size, unsigned options, const ns::Dictionary& attributes);
cg::Rect boundingRect(const ns::AttributedString& text, cg::Size size, unsigned options);

// Size without wrapping: the widest line and the height of all lines.
cg::Size sizeWithAttributes(std::string_view text, const ns::Dictionary& attributes);

// A label's fitting size, rounded up to whole points. One line (numberOfLines 1) takes the text's
// natural width whatever the width given; otherwise the text wraps at size.width and at most
// numberOfLines lines count.
cg::Size sizeThatFits(std::string_view text, const Style& style, cg::Size size);
cg::Size sizeThatFits(const ns::AttributedString& text, const Style& style, cg::Size size);

// Draws the text from the top of rect, lines aligned within its width, clipped to it. Lines that
// do not fit the height (or numberOfLines) are left out; with a truncating mode the last one
// shown gets an ellipsis. The context's user space must be y-down (image contexts of the UI
// layer, view rendering); the context's alpha applies.
void draw(cg::Context& context, cg::Rect rect, std::string_view text, const Style& style);
void draw(cg::Context& context, cg::Rect rect, const ns::AttributedString& text, const Style& style);

} // namespace vx::text
