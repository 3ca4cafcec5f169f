#include "os/text/StringDrawing.h"

#include "os/foundation/Strings.h"
#include "os/text/Attributes.h"
#include "os/text/Engine.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace vx::text {

namespace {

constexpr double kUnlimited = 1e6; // beyond it pango's units would overflow
constexpr double kScale = PANGO_SCALE;

bool limited(double v) { return v > 0 && v <= kUnlimited; }

struct GObjectUnref {
    void operator()(gpointer p) const {
        if (p) g_object_unref(p);
    }
};
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectUnref>;

// A stretch of text (in bytes) with the attributes the layout uses.
struct Span {
    size_t begin = 0, end = 0;
    ui::FontRef font;
    std::optional<cg::Color> color;
    bool strikethrough = false;
    ns::Ref<ns::Object> attachmentObject; // keeps `attachment` alive
    const AttachmentAttribute* attachment = nullptr;
};

struct Source {
    std::string text;
    std::vector<Span> spans;
    ui::FontRef font; // for characters without a font of their own
};

Span spanOf(const ns::Dictionary& attributes, size_t begin, size_t end) {
    Span span;
    span.begin = begin;
    span.end = end;
    span.font = attributes[ns::FontAttributeName].objectAs<ui::Font>();
    if (auto object = attributes[ns::ForegroundColorAttributeName].object())
        if (auto* color = dynamic_cast<const ColorAttribute*>(object.get())) span.color = color->textColor();
    span.strikethrough = attributes[ns::StrikethroughStyleAttributeName].integerValue() != 0;
    if (auto object = attributes[ns::AttachmentAttributeName].object()) {
        if (auto* attachment = dynamic_cast<const AttachmentAttribute*>(object.get())) {
            span.attachment = attachment;
            span.attachmentObject = object;
        }
    }
    return span;
}

Source sourceOf(std::string_view text, const ns::Dictionary& attributes, ui::FontRef fallback) {
    Source source;
    source.text = engine::validUTF8(text);
    source.font = std::move(fallback);
    if (!source.text.empty()) source.spans.push_back(spanOf(attributes, 0, source.text.size()));
    return source;
}

Source sourceOf(const ns::AttributedString& text, ui::FontRef fallback) {
    Source source;
    source.text = engine::validUTF8(text.string());
    source.font = std::move(fallback);
    for (const auto& run : text.runs()) {
        size_t begin = ns::str::utf8Offset(source.text, run.range.location);
        size_t end = ns::str::utf8Offset(source.text, run.range.location + run.range.length);
        if (begin < end) source.spans.push_back(spanOf(run.attributes, begin, end));
    }
    return source;
}

const Span* spanAt(const Source& source, size_t byte) {
    auto it = std::upper_bound(source.spans.begin(), source.spans.end(), byte,
                               [](size_t b, const Span& s) { return b < s.end; });
    return it != source.spans.end() && it->begin <= byte ? &*it : nullptr;
}

const ui::Font& fontAt(const Source& source, const Span* span) {
    return span && span->font ? *span->font : *source.font;
}

PangoFontDescription* describe(const ui::Font& font) {
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, font.familyName().c_str());
    pango_font_description_set_weight(desc, static_cast<PangoWeight>(engine::cssWeightOf(font.weight())));
    pango_font_description_set_absolute_size(desc, font.pointSize() * kScale);
    return desc;
}

void insert(PangoAttrList* list, PangoAttribute* attribute, const Span& span) {
    attribute->start_index = static_cast<guint>(span.begin);
    attribute->end_index = static_cast<guint>(span.end);
    pango_attr_list_insert(list, attribute);
}

// Attachment bounds kept where pango's integer units hold them.
cg::Rect boundsOf(const AttachmentAttribute& attachment) {
    cg::Rect b = cg::RectStandardize(attachment.attachmentBounds());
    auto clamp = [](double v) { return std::isfinite(v) ? std::clamp(v, -kUnlimited, kUnlimited) : 0.0; };
    return cg::RectMake(clamp(b.origin.x), clamp(b.origin.y), clamp(b.size.width), clamp(b.size.height));
}

guint16 channel(double v) { return static_cast<guint16>(std::lround(std::clamp(v, 0.0, 1.0) * 65535)); }

PangoAttrList* attributesOf(const Source& source) {
    PangoAttrList* list = pango_attr_list_new();
    for (const Span& span : source.spans) {
        if (span.font) {
            PangoFontDescription* desc = describe(*span.font);
            insert(list, pango_attr_font_desc_new(desc), span);
            pango_font_description_free(desc);
        }
        if (span.color) {
            const cg::Color& c = *span.color;
            insert(list, pango_attr_foreground_new(channel(c.r), channel(c.g), channel(c.b)), span);
            insert(list, pango_attr_foreground_alpha_new(channel(c.a)), span);
        }
        if (span.strikethrough) insert(list, pango_attr_strikethrough_new(TRUE), span);
        if (span.attachment) {
            // The picture takes the place of its character; pango's y grows downwards.
            cg::Rect b = boundsOf(*span.attachment);
            PangoRectangle r{static_cast<int>(b.origin.x * kScale), static_cast<int>(-(b.origin.y + b.size.height) * kScale),
                             static_cast<int>(b.size.width * kScale), static_cast<int>(b.size.height * kScale)};
            insert(list, pango_attr_shape_new(&r, &r), span);
        }
    }
    return list;
}

enum class Wrap { None, Word, Char };

struct Spec {
    double width = 0;        // wrap (or ellipsize) width; unlimited when not `limited`
    Wrap wrap = Wrap::Word;
    long maxLines = 0;       // 0: all
    double maxHeight = 0;    // lines whose bottom passes it are left out (the first always stays)
    PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_NONE;
};

struct Line {
    PangoLayoutLine* line = nullptr; // owned by the layout
    double width = 0;
    double left = 0;                 // logical x of the line's start
    double ascent = 0;
    double height = 0;
};

struct Laid {
    LayoutPtr layout;
    std::vector<Line> lines;
    size_t totalLines = 0; // before maxLines and maxHeight
    double width = 0;
    double height = 0;
};

// Whole-point ascent and height of a line: its tallest font and attachment.
void measureLine(const Source& source, Line& out) {
    double ascent = 0, descent = 0;
    auto take = [&](const Span* span) {
        const ui::Font& font = fontAt(source, span);
        ascent = std::max(ascent, font.ascender());
        descent = std::max(descent, -font.descender());
        if (span && span->attachment) {
            cg::Rect b = boundsOf(*span->attachment);
            ascent = std::max(ascent, std::ceil(b.origin.y + b.size.height));
            descent = std::max(descent, std::ceil(-b.origin.y));
        }
    };
    bool any = false;
    for (GSList* r = out.line->runs; r; r = r->next) {
        auto* run = static_cast<PangoLayoutRun*>(r->data);
        take(spanAt(source, static_cast<size_t>(run->item->offset)));
        any = true;
    }
    if (!any) take(spanAt(source, static_cast<size_t>(out.line->start_index)));
    out.ascent = ascent;
    out.height = ascent + descent;
}

// Caller holds the engine lock.
Laid lay(const Source& source, const Spec& spec) {
    Laid laid;
    if (source.text.empty()) return laid;
    laid.layout.reset(pango_layout_new(engine::context()));
    PangoLayout* layout = laid.layout.get();
    pango_layout_set_text(layout, source.text.data(), static_cast<int>(source.text.size()));
    PangoFontDescription* desc = describe(*source.font);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    PangoAttrList* attributes = attributesOf(source);
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);

    bool wraps = spec.wrap != Wrap::None && limited(spec.width);
    bool ellipsizes = spec.ellipsize != PANGO_ELLIPSIZE_NONE && limited(spec.width);
    if (wraps || ellipsizes) pango_layout_set_width(layout, static_cast<int>(spec.width * kScale));
    pango_layout_set_wrap(layout, spec.wrap == Wrap::Char ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    if (ellipsizes) {
        pango_layout_set_ellipsize(layout, spec.ellipsize);
        // Negative: lines per paragraph; -1 without wrapping keeps each paragraph on one line.
        pango_layout_set_height(layout, wraps && spec.maxLines > 0 ? -static_cast<int>(spec.maxLines) : -1);
    }

    double top = 0;
    for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next) {
        ++laid.totalLines;
        Line line;
        line.line = static_cast<PangoLayoutLine*>(l->data);
        measureLine(source, line);
        bool fits = (spec.maxLines <= 0 || static_cast<long>(laid.lines.size()) < spec.maxLines) &&
                    (laid.lines.empty() || !limited(spec.maxHeight) || top + line.height <= spec.maxHeight);
        if (!fits) continue;
        PangoRectangle logical;
        pango_layout_line_get_extents(line.line, nullptr, &logical);
        line.width = logical.width / kScale;
        line.left = logical.x / kScale;
        top += line.height;
        laid.width = std::max(laid.width, line.width);
        laid.lines.push_back(line);
    }
    laid.height = top;
    return laid;
}

ui::FontRef orSystem(const ui::FontRef& font, double size) {
    return font ? font : ui::Font::systemFontOfSize(size);
}

constexpr double kAttributesFontSize = 12; // characters without a font in string drawing
constexpr double kLabelFontSize = 17;      // a label without a font

cg::Rect boundingRect(const Source& source, cg::Size size, unsigned options) {
    auto guard = engine::lock();
    if (options & UsesLineFragmentOrigin) {
        Laid laid = lay(source, Spec{.width = size.width, .wrap = Wrap::Word, .maxHeight = size.height});
        return cg::RectMake(0, 0, laid.width, laid.height);
    }
    Laid laid = lay(source, Spec{.wrap = Wrap::None, .maxLines = 1});
    if (laid.lines.empty()) return cg::RectZero;
    return cg::RectMake(0, -laid.lines.front().ascent, laid.width, laid.height);
}

Spec labelSpec(const Style& style, double width) {
    Spec spec;
    if (style.numberOfLines == 1) {
        spec.wrap = Wrap::None;
        spec.maxLines = 1;
    } else {
        spec.width = width;
        spec.wrap = style.lineBreakMode == LineBreakMode::CharWrapping ? Wrap::Char : Wrap::Word;
        spec.maxLines = std::max(0L, style.numberOfLines);
    }
    return spec;
}

cg::Size sizeThatFits(const Source& source, const Style& style, cg::Size size) {
    auto guard = engine::lock();
    Laid laid = lay(source, labelSpec(style, size.width));
    return {std::ceil(laid.width), std::ceil(laid.height)};
}

PangoEllipsizeMode ellipsisOf(LineBreakMode mode) {
    switch (mode) {
    case LineBreakMode::TruncatingHead: return PANGO_ELLIPSIZE_START;
    case LineBreakMode::TruncatingMiddle: return PANGO_ELLIPSIZE_MIDDLE;
    case LineBreakMode::TruncatingTail: return PANGO_ELLIPSIZE_END;
    default: return PANGO_ELLIPSIZE_NONE;
    }
}

double alignmentOffset(Alignment alignment, double room) {
    if (!std::isfinite(room) || std::abs(room) > kUnlimited) return 0;
    switch (alignment) {
    case Alignment::Center: return room / 2;
    case Alignment::Right: return room;
    default: return 0;
    }
}

void drawAttachments(cg::Context& context, cg::Rect rect, const Source& source, const Laid& laid,
                     const std::vector<double>& lineX, const std::vector<double>& baselines) {
    for (size_t i = 0; i < laid.lines.size(); ++i) {
        for (GSList* r = laid.lines[i].line->runs; r; r = r->next) {
            auto* run = static_cast<PangoLayoutRun*>(r->data);
            const Span* span = spanAt(source, static_cast<size_t>(run->item->offset));
            if (!span || !span->attachment) continue;
            cg::ImageRef image = span->attachment->attachmentImage();
            if (!image) continue;
            int x = 0;
            pango_layout_line_index_to_x(laid.lines[i].line, run->item->offset, FALSE, &x);
            cg::Rect b = boundsOf(*span->attachment);
            cg::Rect at = cg::RectMake(lineX[i] + x / kScale + b.origin.x, baselines[i] - b.origin.y - b.size.height,
                                       b.size.width, b.size.height);
            context.SaveGState();
            context.ClipToRect(rect);
            // Upright in a y-down space: the image's top row goes to the rectangle's top.
            context.TranslateCTM(at.origin.x, at.origin.y + at.size.height);
            context.ScaleCTM(1, -1);
            context.DrawImage(cg::RectMake(0, 0, at.size.width, at.size.height), image);
            context.RestoreGState();
        }
    }
}

void draw(cg::Context& context, cg::Rect rect, const Source& source, const Style& style) {
    auto guard = engine::lock();
    if (source.text.empty() || cg::RectIsEmpty(rect)) return;
    Spec spec = labelSpec(style, rect.size.width);
    spec.maxHeight = rect.size.height;
    PangoEllipsizeMode ellipsis = ellipsisOf(style.lineBreakMode);
    Laid laid;
    if (ellipsis == PANGO_ELLIPSIZE_NONE) {
        // One line in a wrapping mode shows the first wrapped line; clipping cuts wherever.
        if (style.numberOfLines == 1 && style.lineBreakMode != LineBreakMode::Clipping) {
            spec.width = rect.size.width;
            spec.wrap = style.lineBreakMode == LineBreakMode::CharWrapping ? Wrap::Char : Wrap::Word;
        }
        laid = lay(source, spec);
    } else if (style.numberOfLines == 1) {
        spec.width = rect.size.width;
        spec.ellipsize = ellipsis;
        laid = lay(source, spec);
    } else {
        // Lay out once to learn how many lines show, then again with the ellipsis on the last.
        laid = lay(source, spec);
        if (laid.lines.size() < laid.totalLines) {
            spec.maxLines = static_cast<long>(laid.lines.size());
            spec.ellipsize = ellipsis;
            laid = lay(source, spec);
        }
    }
    if (laid.lines.empty()) return;

    std::vector<double> lineX, baselines;
    cairo_t* cr = context.cairoForDrawing();
    cairo_save(cr);
    cg::Rect clip = cg::RectIntersection(rect, cg::RectMake(-kUnlimited, -kUnlimited, 2 * kUnlimited, 2 * kUnlimited));
    cairo_rectangle(cr, clip.origin.x, clip.origin.y, clip.size.width, clip.size.height);
    cairo_clip(cr);
    double alpha = context.alpha();
    if (alpha < 1) cairo_push_group(cr);
    double top = rect.origin.y;
    for (const Line& line : laid.lines) {
        double x = rect.origin.x - line.left + alignmentOffset(style.alignment, rect.size.width - line.width);
        lineX.push_back(x);
        baselines.push_back(top + line.ascent);
        const cg::Color& c = style.color;
        cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
        cairo_move_to(cr, x, top + line.ascent);
        pango_cairo_show_layout_line(cr, line.line);
        top += line.height;
    }
    if (alpha < 1) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, alpha);
    }
    cairo_restore(cr);
    context.finishDrawing();
    drawAttachments(context, rect, source, laid, lineX, baselines);
}

} // namespace

cg::Rect boundingRect(std::string_view text, cg::Size size, unsigned options, const ns::Dictionary& attributes) {
    return boundingRect(sourceOf(text, attributes, ui::Font::systemFontOfSize(kAttributesFontSize)), size, options);
}

cg::Rect boundingRect(const ns::AttributedString& text, cg::Size size, unsigned options) {
    return boundingRect(sourceOf(text, ui::Font::systemFontOfSize(kAttributesFontSize)), size, options);
}

cg::Size sizeWithAttributes(std::string_view text, const ns::Dictionary& attributes) {
    auto guard = engine::lock();
    Laid laid = lay(sourceOf(text, attributes, ui::Font::systemFontOfSize(kAttributesFontSize)), Spec{.wrap = Wrap::None});
    return {laid.width, laid.height};
}

cg::Size sizeThatFits(std::string_view text, const Style& style, cg::Size size) {
    return sizeThatFits(sourceOf(text, {}, orSystem(style.font, kLabelFontSize)), style, size);
}

cg::Size sizeThatFits(const ns::AttributedString& text, const Style& style, cg::Size size) {
    return sizeThatFits(sourceOf(text, orSystem(style.font, kLabelFontSize)), style, size);
}

void draw(cg::Context& context, cg::Rect rect, std::string_view text, const Style& style) {
    draw(context, rect, sourceOf(text, {}, orSystem(style.font, kLabelFontSize)), style);
}

void draw(cg::Context& context, cg::Rect rect, const ns::AttributedString& text, const Style& style) {
    draw(context, rect, sourceOf(text, orSystem(style.font, kLabelFontSize)), style);
}

} // namespace vx::text
