#pragma once
// Text that a layout engine of its own places piece by piece (the web view's page renderer puts
// each word where its lines need it): a font of a family, CSS weight, slant and size, its
// whole-point metrics (as a label's), the advance of a piece of text, drawing at a baseline, and
// where a line may break. The face is the system font's, as for labels: any family this
// configuration does not have falls back to Noto Sans CJK SC.

#include "os/foundation/Object.h"
#include "os/graphics/Context.h"
#include "os/graphics/Geometry.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _PangoLayout PangoLayout;

namespace vx::text {

// Lines drawn with a run, as bits.
enum RunDecoration : unsigned { RunUnderline = 1u << 0, RunLineThrough = 1u << 1, RunOverline = 1u << 2 };

class RunFont;
using RunFontRef = ns::Ref<RunFont>;

class RunFont : public ns::Object {
public:
    // Sizes are clamped to 0 … 4096 points (NaN reads as 0); weights to 100 … 900.
    static RunFontRef make(const std::string& family, double size, int cssWeight = 400, bool italic = false);

    // Whole points, as ui::Font rounds them: height = ascent + descent.
    double ascent() const { return ascent_; }
    double descent() const { return descent_; }
    double height() const { return ascent_ + descent_; }
    // Height of a lower-case "x" (whole points, at least 1 for a font with a size).
    double xHeight() const { return xHeight_; }

    // Logical advance of the text on one line, exact. Answers from a cache once measured: a page
    // measures the same words over and over.
    double width(std::string_view utf8) const;

    // Draws the text on one line, its baseline starting at `baseline`, in a y-down user space (as
    // text::draw). Bytes that are not UTF-8 draw as U+FFFD.
    void draw(cg::Context& context, cg::Point baseline, std::string_view utf8, cg::Color color,
              unsigned decorations = 0) const;

    RunFont(const std::string& family, double size, int cssWeight, bool italic);
    ~RunFont() override;

private:
    double size_ = 0;
    double ascent_ = 0, descent_ = 0, xHeight_ = 0;
    uint64_t serial_ = 0; // names the font in the cache of laid-out words
    PangoFontDescription* description_ = nullptr;
    mutable PangoLayout* measure_ = nullptr; // reused under the engine lock
    mutable std::mutex cacheMutex_;
    mutable std::unordered_map<std::string, double> widths_;
};

// Byte offsets inside the text (0 < offset < size) before which a line may break, by the Unicode
// line-breaking rules as pango applies them (Chinese between characters, but not before closing
// punctuation such as "，" or after opening punctuation such as "「"; Latin after spaces and hyphens).
std::vector<size_t> lineBreakOffsets(std::string_view utf8);

} // namespace vx::text
