#include "os/text/TextRun.h"

#include "os/text/Engine.h"
#include "os/text/Font.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace vx::text {

namespace {

// A page has a few thousand different words per font; past this the cache starts again.
constexpr size_t kCachedWidths = 1 << 16;

double clampedSize(double size) { return size > 0 ? std::min(size, ui::Font::kMaximumSize) : 0; }

PangoLayout* layoutFor(PangoFontDescription* description) {
    PangoLayout* layout = pango_layout_new(engine::context());
    pango_layout_set_font_description(layout, description);
    return layout;
}

guint16 channel(double v) { return static_cast<guint16>(std::lround(std::clamp(v, 0.0, 1.0) * 65535)); }

// Laid-out words kept for drawing again: a page draws the same words over and over (each time a
// part of it is shown, and a Chinese page is made of a few thousand characters). Keyed by the
// font's serial number and the text; all dropped when full. Used under the engine lock.
constexpr size_t kCachedLayouts = 8192;

struct LayoutCache {
    std::unordered_map<std::string, PangoLayout*> layouts;
    ~LayoutCache() { clear(); }
    void clear() {
        for (auto& [key, layout] : layouts) g_object_unref(layout);
        layouts.clear();
    }
};

LayoutCache& layoutCache() {
    static LayoutCache* cache = new LayoutCache(); // lives as long as the engine's fonts
    return *cache;
}

std::atomic<uint64_t> serials{0};

} // namespace

RunFontRef RunFont::make(const std::string& family, double size, int cssWeight, bool italic) {
    return ns::make<RunFont>(family, size, cssWeight, italic);
}

RunFont::RunFont(const std::string& family, double size, int cssWeight, bool italic)
    : size_(clampedSize(size)), serial_(++serials) {
    int weight = std::clamp(cssWeight, 100, 900);
    engine::FaceInfo face = engine::face(family, weight);
    // Whole points, as ui::Font: the line height is the rounded natural height.
    double height = std::round(size_ * (face.ascentPerPoint + face.descentPerPoint));
    ascent_ = std::min(height, std::round(size_ * face.ascentPerPoint));
    descent_ = height - ascent_;

    auto guard = engine::lock();
    description_ = pango_font_description_new();
    pango_font_description_set_family(description_, face.family.c_str());
    pango_font_description_set_weight(description_, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(description_, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(description_, size_ * PANGO_SCALE);
    if (size_ > 0) {
        PangoLayout* probe = layoutFor(description_);
        pango_layout_set_text(probe, "x", 1);
        PangoRectangle ink;
        pango_layout_get_extents(probe, &ink, nullptr);
        xHeight_ = std::max(1.0, std::round(ink.height / double(PANGO_SCALE)));
        g_object_unref(probe);
    }
}

RunFont::~RunFont() {
    auto guard = engine::lock();
    if (measure_) g_object_unref(measure_);
    pango_font_description_free(description_);
}

double RunFont::width(std::string_view utf8) const {
    if (utf8.empty() || size_ <= 0) return 0;
    std::string key(utf8);
    {
        std::lock_guard lock(cacheMutex_);
        if (auto it = widths_.find(key); it != widths_.end()) return it->second;
    }
    std::string text = engine::validUTF8(utf8);
    double width = 0;
    {
        auto guard = engine::lock();
        if (!measure_) measure_ = layoutFor(description_);
        pango_layout_set_text(measure_, text.data(), static_cast<int>(text.size()));
        PangoRectangle logical;
        pango_layout_get_extents(measure_, nullptr, &logical);
        width = logical.width / double(PANGO_SCALE);
    }
    std::lock_guard lock(cacheMutex_);
    if (widths_.size() >= kCachedWidths) widths_.clear();
    widths_.emplace(std::move(key), width);
    return width;
}

void RunFont::draw(cg::Context& context, cg::Point baseline, std::string_view utf8, cg::Color color,
                   unsigned decorations) const {
    if (utf8.empty() || size_ <= 0 || !std::isfinite(baseline.x) || !std::isfinite(baseline.y)) return;
    auto guard = engine::lock();
    auto& cache = layoutCache().layouts;
    std::string key = std::to_string(serial_) + ':';
    key.append(utf8);
    auto found = cache.find(key);
    if (found == cache.end()) {
        if (cache.size() >= kCachedLayouts) layoutCache().clear();
        std::string text = engine::validUTF8(utf8);
        PangoLayout* made = layoutFor(description_);
        pango_layout_set_text(made, text.data(), static_cast<int>(text.size()));
        found = cache.emplace(std::move(key), made).first;
    }
    PangoLayout* layout = found->second;
    if (PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0)) {
        cairo_t* cr = context.cairoForDrawing();
        cairo_save(cr);
        cairo_set_source_rgba(cr, channel(color.r) / 65535.0, channel(color.g) / 65535.0, channel(color.b) / 65535.0,
                              std::clamp(color.a, 0.0, 1.0) * context.alpha());
        cairo_move_to(cr, baseline.x, baseline.y);
        pango_cairo_show_layout_line(cr, line);
        if (decorations) {
            // Lines across the run's advance: under the baseline, through the middle of a Chinese
            // character, over the ascent (the face's own strike-out metrics are empty).
            PangoRectangle logical;
            pango_layout_line_get_extents(line, nullptr, &logical);
            double width = logical.width / double(PANGO_SCALE);
            double thickness = std::max(1.0, std::round(size_ / 16));
            auto rule = [&](double y) { cairo_rectangle(cr, baseline.x, y, width, thickness); };
            if (decorations & RunUnderline) rule(baseline.y + std::max(1.0, std::round(descent_ / 3)));
            if (decorations & RunLineThrough) rule(baseline.y - std::round(size_ * 0.33) - thickness / 2);
            if (decorations & RunOverline) rule(baseline.y - ascent_);
            cairo_fill(cr);
        }
        cairo_restore(cr);
        context.finishDrawing();
    }
}

std::vector<size_t> lineBreakOffsets(std::string_view utf8) {
    std::vector<size_t> offsets;
    if (utf8.empty()) return offsets;
    std::string text = engine::validUTF8(utf8);
    glong characters = g_utf8_strlen(text.data(), static_cast<gssize>(text.size()));
    std::vector<PangoLogAttr> attributes(static_cast<size_t>(characters) + 1);
    pango_get_log_attrs(text.data(), static_cast<int>(text.size()), -1, pango_language_from_string("zh-cn"),
                        attributes.data(), static_cast<int>(attributes.size()));
    // Offsets are of the text as given; a byte replaced by U+FFFD (three bytes) counts as one.
    const char* p = utf8.data();
    const char* end = p + utf8.size();
    size_t index = 0;
    while (p < end) {
        gunichar c = g_utf8_get_char_validated(p, end - p);
        const char* next = (c == 0 || c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) ? p + 1
                                                                                                          : g_utf8_next_char(p);
        ++index;
        p = next;
        if (p < end && index < attributes.size() && attributes[index].is_line_break)
            offsets.push_back(static_cast<size_t>(p - utf8.data()));
    }
    return offsets;
}

} // namespace vx::text
