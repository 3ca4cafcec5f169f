#include "os/web/PageContainer.h"

#include "os/foundation/Log.h"
#include "os/graphics/Path.h"
#include "os/text/Engine.h"
#include "os/web/PageBasics.h"

#include <glib.h>
#include <litehtml/el_anchor.h>
#include <litehtml/el_body.h>
#include <litehtml/el_break.h>
#include <litehtml/el_div.h>
#include <litehtml/el_font.h>
#include <litehtml/el_image.h>
#include <litehtml/el_para.h>
#include <litehtml/el_table.h>
#include <litehtml/el_td.h>
#include <litehtml/el_tr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

namespace wk {

namespace {

// Tiles of one background drawn at most (a 1 px picture repeated over a large box).
constexpr long kMaxTiles = 4096;

cg::Rect rectOf(const litehtml::position& p) {
    double x = near(p.x), y = near(p.y);
    return cg::RectMake(x, y, std::max(0.0, near(x + double(p.width)) - x), std::max(0.0, near(y + double(p.height)) - y));
}

// Fonts live for the process, so what a page measured serves the next page.
vx::text::RunFontRef sharedFont(const std::string& family, int size, int weight, bool italic) {
    static std::mutex mutex;
    static std::map<std::tuple<std::string, int, int, bool>, vx::text::RunFontRef> fonts;
    std::lock_guard lock(mutex);
    auto key = std::make_tuple(family, size, weight, italic);
    if (auto it = fonts.find(key); it != fonts.end()) return it->second;
    if (fonts.size() >= 512) fonts.clear(); // a hostile page with a font of every size
    return fonts[key] = vx::text::RunFont::make(family, size, weight, italic);
}

// The first family of a CSS font-family list, unquoted.
std::string firstFamily(const char* list) {
    std::string s = list ? list : "";
    size_t comma = s.find(',');
    if (comma != std::string::npos) s.resize(comma);
    auto trim = [](std::string& t) {
        size_t a = t.find_first_not_of(" \t\r\n\"'");
        size_t b = t.find_last_not_of(" \t\r\n\"'");
        t = a == std::string::npos ? "" : t.substr(a, b - a + 1);
    };
    trim(s);
    return s.empty() ? vx::text::engine::kSystemFamily : s;
}

struct Radii {
    std::array<double, 8> r{}; // top-left x, y; top-right x, y; bottom-right x, y; bottom-left x, y
    bool any() const {
        return std::any_of(r.begin(), r.end(), [](double v) { return v > 0; });
    }
};

Radii radiiOf(const litehtml::border_radiuses& b) {
    Radii radii;
    radii.r = {double(b.top_left_x), double(b.top_left_y), double(b.top_right_x), double(b.top_right_y),
               double(b.bottom_right_x), double(b.bottom_right_y), double(b.bottom_left_x), double(b.bottom_left_y)};
    for (double& v : radii.r) v = std::clamp(near(v), 0.0, kFar);
    return radii;
}

// Corners that together overlap a side are scaled down until they fit, as CSS does.
Radii fitted(Radii radii, cg::Rect rect) {
    auto& r = radii.r;
    double w = rect.size.width, h = rect.size.height;
    double f = 1;
    auto limit = [&](double side, double a, double b) {
        if (a + b > side && a + b > 0) f = std::min(f, side / (a + b));
    };
    limit(w, r[0], r[2]);
    limit(w, r[6], r[4]);
    limit(h, r[1], r[7]);
    limit(h, r[3], r[5]);
    for (double& v : r) v *= f;
    return radii;
}

// A rectangle with elliptical corners (cubic approximations of quarter ellipses).
void addRounded(cg::Path& path, cg::Rect rect, Radii radii) {
    if (!radii.any()) {
        path.AddRect(rect);
        return;
    }
    Radii fit = fitted(radii, rect);
    const auto& r = fit.r;
    constexpr double k = 0.5522847498; // control distance of a quarter circle
    double x0 = rect.origin.x, y0 = rect.origin.y, x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
    path.MoveToPoint({x0 + r[0], y0});
    path.AddLineToPoint({x1 - r[2], y0});
    path.AddCurveToPoint({x1 - r[2] + r[2] * k, y0}, {x1, y0 + r[3] - r[3] * k}, {x1, y0 + r[3]});
    path.AddLineToPoint({x1, y1 - r[5]});
    path.AddCurveToPoint({x1, y1 - r[5] + r[5] * k}, {x1 - r[4] + r[4] * k, y1}, {x1 - r[4], y1});
    path.AddLineToPoint({x0 + r[6], y1});
    path.AddCurveToPoint({x0 + r[6] - r[6] * k, y1}, {x0, y1 - r[7] + r[7] * k}, {x0, y1 - r[7]});
    path.AddLineToPoint({x0, y0 + r[1]});
    path.AddCurveToPoint({x0, y0 + r[1] - r[1] * k}, {x0 + r[0] - r[0] * k, y0}, {x0 + r[0], y0});
    path.CloseSubpath();
}

void clipRounded(cg::Context& context, cg::Rect rect, const Radii& radii) {
    if (!radii.any()) {
        context.ClipToRect(rect);
        return;
    }
    cg::Path path;
    addRounded(path, rect, radii);
    context.BeginPath();
    context.AddPath(path);
    context.Clip();
}

cg::Color shaded(cg::Color c, double f) { return {c.r * f, c.g * f, c.b * f, c.a}; }

bool shows(const litehtml::border& b) {
    return b.width > 0 && b.style != litehtml::border_style_none && b.style != litehtml::border_style_hidden;
}

// Tables nested in tables: the engine lays each one out several times for each time its own table
// is, so the work doubles with every level. Deeper ones are laid out as blocks.
constexpr int kMaxTableNesting = 4;

bool isTableRoot(litehtml::style_display d) { return d == litehtml::display_table || d == litehtml::display_inline_table; }

// Whether an element of this display, under a parent of that one, begins a table of its own: a
// table does, and so does a table part outside the box it belongs in (the engine makes a table up
// around it).
bool beginsTable(litehtml::style_display d, litehtml::style_display parent) {
    using namespace litehtml;
    switch (d) {
    case display_table:
    case display_inline_table: return true;
    case display_table_cell: return parent != display_table_row;
    case display_table_row:
        return parent != display_table_row_group && parent != display_table_header_group &&
               parent != display_table_footer_group && !isTableRoot(parent);
    case display_table_row_group:
    case display_table_header_group:
    case display_table_footer_group:
    case display_table_caption:
    case display_table_column_group: return !isTableRoot(parent);
    case display_table_column: return parent != display_table_column_group && !isTableRoot(parent);
    default: return false;
    }
}

// The tables the element lies in.
int tablesAround(const litehtml::element& element) {
    int tables = 0;
    for (auto e = element.parent(); e; e = e->parent()) {
        auto up = e->parent();
        if (beginsTable(e->get_display(), up ? up->get_display() : litehtml::display_block)) ++tables;
    }
    return tables;
}

struct BoundedElement {
    virtual ~BoundedElement() = default;
    virtual void bound() = 0;
};

// Every element of a page is made as the engine would make it, with two bounds on its display: an
// element that would begin a table past kMaxTableNesting is a block, and the root is a block
// whatever the page's style says (the engine cannot make a table up around the root). The
// children's styles are read before their parent's display is bounded, so a bounded element
// bounds its children again (the rows of a table made a block would begin tables of their own).
template <class Base> class Bounded : public Base, public BoundedElement {
public:
    Bounded(const std::shared_ptr<litehtml::document>& doc, bool root) : Base(doc), root_(root) {}
    void parse_styles(bool is_reparse) override {
        Base::parse_styles(is_reparse);
        bound();
    }
    void bound() override {
        litehtml::style_display before = this->m_display;
        auto up = this->parent();
        if (root_) {
            if (this->m_display != litehtml::display_none) this->m_display = litehtml::display_block;
        } else if (beginsTable(this->m_display, up ? up->get_display() : litehtml::display_block) &&
                   tablesAround(*this) >= kMaxTableNesting) {
            this->m_display = litehtml::display_block;
        }
        if (this->m_display == before) return;
        for (size_t i = 0; i < this->get_children_count(); ++i)
            if (auto* child = dynamic_cast<BoundedElement*>(this->get_child(static_cast<int>(i)).get())) child->bound();
    }

private:
    bool root_;
};

} // namespace

size_t leaveOutDeepTables(const litehtml::element::ptr& element, int tables) {
    size_t left = 0;
    for (size_t i = 0; i < element->get_children_count(); ++i) {
        auto child = element->get_child(static_cast<int>(i));
        int around = tables + (beginsTable(child->get_display(), element->get_display()) ? 1 : 0);
        if (around > kMaxTableNesting) {
            // Emptied where it stands: an empty table costs nothing to lay out.
            if (child->get_children_count() > 0) {
                child->clearRecursive();
                ++left;
            }
            continue;
        }
        left += leaveOutDeepTables(child, around);
    }
    return left;
}

PageContainer::PageContainer(ns::Ref<ns::URL> url, PagePicturesRef pictures)
    : url_(std::move(url)), pictures_(std::move(pictures)) {}

void PageContainer::setViewport(int width, int height) {
    viewportWidth_ = width;
    viewportHeight_ = height;
}

ns::Ref<ns::URL> PageContainer::baseURL() const { return base_ ? base_ : url_; }

ns::Ref<ns::URL> PageContainer::resolve(const char* address, const char* base) const {
    if (!address) return nullptr;
    std::string text = address;
    size_t a = text.find_first_not_of(kHTMLSpaces);
    if (a == std::string::npos) return nullptr;
    text = text.substr(a, text.find_last_not_of(kHTMLSpaces) - a + 1);
    ns::Ref<ns::URL> against = baseURL();
    if (base && *base) {
        if (auto given = ns::URL::fromString(base, against)) against = given;
    }
    return ns::URL::fromString(text, against);
}

// --- Fonts and text ---

litehtml::uint_ptr PageContainer::create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                              litehtml::font_style italic, unsigned int decoration,
                                              litehtml::font_metrics* fm) {
    Font font;
    font.run = sharedFont(firstFamily(faceName), std::clamp(size, 0, 1000), std::clamp(weight, 100, 900),
                          italic == litehtml::fontStyleItalic);
    if (decoration & litehtml::font_decoration_underline) font.decorations |= vx::text::RunUnderline;
    if (decoration & litehtml::font_decoration_linethrough) font.decorations |= vx::text::RunLineThrough;
    if (decoration & litehtml::font_decoration_overline) font.decorations |= vx::text::RunOverline;
    if (fm) {
        fm->ascent = static_cast<int>(font.run->ascent());
        fm->descent = static_cast<int>(font.run->descent());
        fm->height = fm->ascent + fm->descent;
        fm->x_height = static_cast<int>(font.run->xHeight());
        // Spaces need drawing only where a line runs through them.
        fm->draw_spaces = font.decorations != 0;
    }
    fonts_.push_back(std::move(font));
    return static_cast<litehtml::uint_ptr>(fonts_.size());
}

void PageContainer::delete_font(litehtml::uint_ptr hFont) {
    if (hFont >= 1 && hFont <= fonts_.size()) fonts_[hFont - 1].run = nullptr;
}

const PageContainer::Font* PageContainer::font(litehtml::uint_ptr handle) const {
    if (handle < 1 || handle > fonts_.size() || !fonts_[handle - 1].run) return nullptr;
    return &fonts_[handle - 1];
}

int PageContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) {
    const Font* f = font(hFont);
    if (!f || !text) return 0;
    return static_cast<int>(std::lround(std::min(f->run->width(text), kFar)));
}

void PageContainer::draw_text(litehtml::uint_ptr, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                              litehtml::web_color color, const litehtml::position& pos) {
    if (!font(hFont) || !text || !*text) return;
    Command command{Command::Kind::Text, rectOf(pos)};
    command.pos = pos;
    command.font = hFont;
    command.color = color;
    command.text = text;
    commands_.push_back(std::move(command));
}

void PageContainer::paintText(cg::Context& context, const Command& command) const {
    const Font* f = font(command.font);
    if (!f) return;
    const litehtml::position& pos = command.pos;
    f->run->draw(context, {command.bounds.origin.x, near(double(pos.y) + pos.height - f->run->descent())}, command.text,
                 colorOf(command.color), f->decorations);
}

int PageContainer::pt_to_px(int pt) const { return static_cast<int>(std::lround(pt * 96.0 / 72.0)); }

int PageContainer::get_default_font_size() const { return 16; }

const litehtml::tchar_t* PageContainer::get_default_font_name() const { return vx::text::engine::kSystemFamily; }

void PageContainer::split_text(const char* text, const std::function<void(const litehtml::tchar_t*)>& on_word,
                               const std::function<void(const litehtml::tchar_t*)>& on_space) {
    if (!text) return;
    std::string s = text;
    std::vector<size_t> breaks = vx::text::lineBreakOffsets(s);
    size_t next = 0; // index into breaks
    size_t start = 0;
    auto flush = [&](size_t end) {
        if (end > start) on_word(s.substr(start, end - start).c_str());
        start = end;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        while (next < breaks.size() && breaks[next] < i) ++next;
        char c = s[i];
        if (isHTMLSpace(c)) {
            flush(i);
            on_space(std::string(1, c).c_str());
            start = i + 1;
            continue;
        }
        if (next < breaks.size() && breaks[next] == i) flush(i);
    }
    flush(s.size());
}

void PageContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
    if (text.empty() || !g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return;
    gchar* changed = nullptr;
    switch (tt) {
    case litehtml::text_transform_uppercase: changed = g_utf8_strup(text.data(), static_cast<gssize>(text.size())); break;
    case litehtml::text_transform_lowercase: changed = g_utf8_strdown(text.data(), static_cast<gssize>(text.size())); break;
    case litehtml::text_transform_capitalize: {
        gunichar first = g_unichar_totitle(g_utf8_get_char(text.data()));
        char buffer[8];
        int length = g_unichar_to_utf8(first, buffer);
        text = std::string(buffer, static_cast<size_t>(length)) + std::string(g_utf8_next_char(text.data()));
        return;
    }
    default: return;
    }
    if (changed) {
        text = changed;
        g_free(changed);
    }
}

// --- Pictures ---

void PageContainer::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool) {
    if (auto url = resolve(src, baseurl)) pictures_->load(url);
}

cg::ImageRef PageContainer::picture(const std::string& src, const std::string& base) const {
    auto url = resolve(src.c_str(), base.c_str());
    return url ? pictures_->image(url->absoluteString()) : nullptr;
}

void PageContainer::get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz) {
    auto url = resolve(src, baseurl);
    cg::Size size = url ? pictures_->size(url->absoluteString()) : cg::SizeZero;
    sz.width = static_cast<int>(size.width);
    sz.height = static_cast<int>(size.height);
}

// --- Boxes ---

void PageContainer::draw_background(litehtml::uint_ptr, const litehtml::background_paint& bg) {
    if (bg.color.alpha == 0 && bg.image.empty()) return;
    Command command{Command::Kind::Background, rectOf(bg.clip_box)};
    command.background = std::make_shared<litehtml::background_paint>(bg);
    commands_.push_back(std::move(command));
}

void PageContainer::paintBackground(cg::Context& context, const litehtml::background_paint& bg, cg::Rect shown) const {
    cg::Rect clip = rectOf(bg.clip_box);
    Radii radii = radiiOf(bg.border_radius);
    if (bg.color.alpha > 0) {
        context.SaveGState();
        context.SetFillColor(colorOf(bg.color));
        if (radii.any()) {
            cg::Path path;
            addRounded(path, clip, radii);
            context.BeginPath();
            context.AddPath(path);
            context.FillPath();
        } else {
            context.FillRect(clip);
        }
        context.RestoreGState();
    }
    if (bg.image.empty()) return;
    cg::ImageRef image = picture(bg.image, bg.baseurl);
    if (!image) return;
    double w = bg.image_size.width > 0 ? near(bg.image_size.width) : double(image->width());
    double h = bg.image_size.height > 0 ? near(bg.image_size.height) : double(image->height());
    if (!(w > 0 && h > 0) || cg::RectIsEmpty(clip)) return;
    double x0 = near(bg.position_x), y0 = near(bg.position_y);
    bool repeatX = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_x;
    bool repeatY = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_y;
    // The tiles that meet the clip box (and the part of the page being drawn).
    cg::Rect area = cg::RectIntersection(clip, shown);
    if (cg::RectIsEmpty(area)) return;
    double firstX = repeatX ? x0 - std::ceil((x0 - area.origin.x) / w) * w : x0;
    double firstY = repeatY ? y0 - std::ceil((y0 - area.origin.y) / h) * h : y0;
    double lastX = repeatX ? cg::RectGetMaxX(area) : x0;
    double lastY = repeatY ? cg::RectGetMaxY(area) : y0;
    double columns = std::floor((lastX - firstX) / w) + 1, rows = std::floor((lastY - firstY) / h) + 1;
    if (columns * rows > kMaxTiles) {
        ns::log("web: a background of %.0f tiles is drawn as its first %ld", columns * rows, kMaxTiles);
    }
    context.SaveGState();
    clipRounded(context, clip, radii);
    long tiles = 0;
    for (double y = firstY; y <= lastY && tiles < kMaxTiles; y += h)
        for (double x = firstX; x <= lastX && tiles < kMaxTiles; x += w, ++tiles)
            context.DrawImageUpright(cg::RectMake(x, y, w, h), image);
    context.RestoreGState();
}

void PageContainer::draw_borders(litehtml::uint_ptr, const litehtml::borders& borders, const litehtml::position& draw_pos,
                                 bool) {
    if (!borders.is_visible()) return;
    Command command{Command::Kind::Borders, rectOf(draw_pos)};
    command.pos = draw_pos;
    command.borders = std::make_shared<litehtml::borders>(borders);
    commands_.push_back(std::move(command));
}

void PageContainer::paintBorders(cg::Context& context, const litehtml::borders& borders,
                                 const litehtml::position& draw_pos) const {
    const litehtml::border* sides[4] = {&borders.top, &borders.right, &borders.bottom, &borders.left};
    double widths[4];
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        widths[i] = shows(*sides[i]) ? std::clamp(near(sides[i]->width), 0.0, kFar) : 0;
        any = any || widths[i] > 0;
    }
    if (!any) return;
    cg::Rect outer = rectOf(draw_pos);
    Radii radii = fitted(radiiOf(borders.radius), outer);
    double top = widths[0], right = widths[1], bottom = widths[2], left = widths[3];
    cg::Rect inner = cg::RectMake(outer.origin.x + left, outer.origin.y + top, std::max(0.0, outer.size.width - left - right),
                                  std::max(0.0, outer.size.height - top - bottom));
    Radii innerRadii = radii;
    const double insets[8] = {left, top, right, top, right, bottom, left, bottom};
    for (int i = 0; i < 8; ++i) innerRadii.r[i] = std::max(0.0, radii.r[i] - insets[i]);

    context.SaveGState();
    // Only the ring between the outer and the inner edge is painted.
    cg::Path ring;
    addRounded(ring, outer, radii);
    if (!cg::RectIsEmpty(inner)) addRounded(ring, inner, innerRadii);
    context.BeginPath();
    context.AddPath(ring);
    context.EOClip();

    double ox0 = outer.origin.x, oy0 = outer.origin.y, ox1 = cg::RectGetMaxX(outer), oy1 = cg::RectGetMaxY(outer);
    // Where two sides meet: on the line from the outer corner through the inner one, taken as far
    // in as the corner's curve reaches, so each side's region covers its half of a round corner.
    auto meet = [&](double x, double y, double dx, double dy, double rx, double ry) {
        double t = 1;
        if (dx > 0) t = std::max(t, rx / dx);
        if (dy > 0) t = std::max(t, ry / dy);
        if (dx <= 0 && dy <= 0) return cg::Point{x, y};
        return cg::Point{x + (x == ox0 ? 1 : -1) * dx * t, y + (y == oy0 ? 1 : -1) * dy * t};
    };
    const auto& r = radii.r;
    cg::Point tl = meet(ox0, oy0, left, top, r[0], r[1]), tr = meet(ox1, oy0, right, top, r[2], r[3]);
    cg::Point br = meet(ox1, oy1, right, bottom, r[4], r[5]), bl = meet(ox0, oy1, left, bottom, r[6], r[7]);
    // Each side's region, outer edge first; the ring clip keeps the paint on the border.
    const cg::Point quads[4][4] = {
        {{ox0, oy0}, {ox1, oy0}, tr, tl},
        {{ox1, oy0}, {ox1, oy1}, br, tr},
        {{ox1, oy1}, {ox0, oy1}, bl, br},
        {{ox0, oy1}, {ox0, oy0}, tl, bl},
    };
    // Sides alike (the usual case) are one ring.
    bool alike = true;
    for (int i = 1; i < 4; ++i)
        alike = alike && widths[i] > 0 && sides[i]->style == sides[0]->style && sides[i]->color.red == sides[0]->color.red &&
                sides[i]->color.green == sides[0]->color.green && sides[i]->color.blue == sides[0]->color.blue &&
                sides[i]->color.alpha == sides[0]->color.alpha;
    if (alike && widths[0] > 0 && sides[0]->style == litehtml::border_style_solid) {
        context.SetFillColor(colorOf(sides[0]->color));
        context.FillRect(outer);
        context.RestoreGState();
        return;
    }
    auto fillQuad = [&](const cg::Point* q, double from, double to) {
        // The band of the trapezoid between the fractions `from` and `to` of its depth.
        auto mix = [](cg::Point a, cg::Point b, double t) { return cg::Point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
        context.BeginPath();
        context.MoveToPoint(mix(q[0], q[3], from));
        context.AddLineToPoint(mix(q[1], q[2], from));
        context.AddLineToPoint(mix(q[1], q[2], to));
        context.AddLineToPoint(mix(q[0], q[3], to));
        context.ClosePath();
        context.FillPath();
    };
    for (int i = 0; i < 4; ++i) {
        if (widths[i] <= 0) continue;
        const litehtml::border& side = *sides[i];
        cg::Color color = colorOf(side.color);
        bool topLeft = i == 0 || i == 3;
        if (side.style == litehtml::border_style_inset || side.style == litehtml::border_style_groove)
            color = topLeft ? shaded(color, 0.6) : color;
        if (side.style == litehtml::border_style_outset || side.style == litehtml::border_style_ridge)
            color = topLeft ? color : shaded(color, 0.6);
        context.SetFillColor(color);
        const cg::Point* q = quads[i];
        if (side.style == litehtml::border_style_double && widths[i] >= 3) {
            fillQuad(q, 0, 1.0 / 3);
            fillQuad(q, 2.0 / 3, 1);
        } else if (side.style == litehtml::border_style_dotted || side.style == litehtml::border_style_dashed) {
            // Marks along the side, inside its trapezoid.
            context.SaveGState();
            context.BeginPath();
            context.MoveToPoint(q[0]);
            for (int k = 1; k < 4; ++k) context.AddLineToPoint(q[k]);
            context.ClosePath();
            context.Clip();
            bool dotted = side.style == litehtml::border_style_dotted;
            double mark = dotted ? widths[i] : widths[i] * 3;
            bool horizontal = i == 0 || i == 2;
            double from = horizontal ? ox0 : oy0, to = horizontal ? ox1 : oy1;
            double across = i == 0 ? oy0 : i == 1 ? ox1 - widths[i] : i == 2 ? oy1 - widths[i] : ox0;
            long marks = 0;
            for (double at = from; at < to && marks < kMaxTiles; at += 2 * mark, ++marks) {
                cg::Rect r = horizontal ? cg::RectMake(at, across, mark, widths[i]) : cg::RectMake(across, at, widths[i], mark);
                if (dotted) {
                    context.BeginPath();
                    cg::Path dot;
                    dot.AddEllipseInRect(r);
                    context.AddPath(dot);
                    context.FillPath();
                } else {
                    context.FillRect(r);
                }
            }
            context.RestoreGState();
        } else {
            fillQuad(q, 0, 1);
        }
    }
    context.RestoreGState();
}

void PageContainer::draw_list_marker(litehtml::uint_ptr, const litehtml::list_marker& marker) {
    Command command{Command::Kind::Marker, rectOf(marker.pos)};
    command.marker = std::make_shared<litehtml::list_marker>(marker);
    command.marker->baseurl = nullptr; // the engine's string; kept below
    command.text = marker.baseurl ? marker.baseurl : "";
    commands_.push_back(std::move(command));
}

void PageContainer::paintMarker(cg::Context& context, const litehtml::list_marker& marker, const std::string& base) const {
    cg::Rect r = rectOf(marker.pos);
    if (!marker.image.empty()) {
        if (cg::ImageRef image = picture(marker.image, base)) context.DrawImageUpright(r, image);
        return;
    }
    context.SaveGState();
    cg::Color color = colorOf(marker.color);
    cg::Path shape;
    switch (marker.marker_type) {
    case litehtml::list_style_type_circle:
        shape.AddEllipseInRect(cg::RectInset(r, 0.5, 0.5));
        context.SetStrokeColor(color);
        context.SetLineWidth(1);
        context.BeginPath();
        context.AddPath(shape);
        context.StrokePath();
        break;
    case litehtml::list_style_type_disc:
        shape.AddEllipseInRect(r);
        context.SetFillColor(color);
        context.BeginPath();
        context.AddPath(shape);
        context.FillPath();
        break;
    case litehtml::list_style_type_square:
        context.SetFillColor(color);
        context.FillRect(r);
        break;
    default: break; // numbered markers are drawn as text by the engine
    }
    context.RestoreGState();
}

void PageContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius, bool valid_x,
                             bool valid_y) {
    cg::Rect r = rectOf(pos);
    if (!valid_x) r.origin.x = -kFar, r.size.width = 2 * kFar;
    if (!valid_y) r.origin.y = -kFar, r.size.height = 2 * kFar;
    Command command{Command::Kind::PushClip, r};
    command.radii = radiiOf(bdr_radius).r;
    commands_.push_back(std::move(command));
    ++clips_;
}

void PageContainer::del_clip() {
    if (clips_ == 0) return;
    --clips_;
    commands_.push_back(Command{Command::Kind::PopClip, cg::RectZero});
}

void PageContainer::endRecording() {
    while (clips_ > 0) del_clip();
    spans_.clear();
    spans_.reserve(commands_.size());
    for (const Command& command : commands_) {
        if (command.kind == Command::Kind::PushClip || command.kind == Command::Kind::PopClip)
            spans_.emplace_back(1.0f, -1.0f); // never skipped
        else
            spans_.emplace_back(float(command.bounds.origin.y), float(cg::RectGetMaxY(command.bounds)));
    }
    recorded_ = true;
}

void PageContainer::forgetRecording() {
    commands_.clear();
    spans_.clear();
    clips_ = 0;
    recorded_ = false;
}

void PageContainer::play(cg::Context& context, cg::Rect shown) const {
    int clips = 0;
    const float top = float(shown.origin.y), bottom = float(cg::RectGetMaxY(shown));
    for (size_t i = 0; i < commands_.size(); ++i) {
        // Most of a long page lies above or below what is shown.
        const auto& [from, to] = spans_[i];
        if (from <= to && (to < top || from > bottom)) continue;
        const Command& command = commands_[i];
        switch (command.kind) {
        case Command::Kind::PushClip: {
            Radii radii;
            radii.r = command.radii;
            context.SaveGState();
            clipRounded(context, command.bounds, radii);
            ++clips;
            continue;
        }
        case Command::Kind::PopClip:
            if (clips > 0) context.RestoreGState(), --clips;
            continue;
        default: break;
        }
        if (!cg::RectIntersectsRect(command.bounds, shown)) continue;
        switch (command.kind) {
        case Command::Kind::Text: paintText(context, command); break;
        case Command::Kind::Background: paintBackground(context, *command.background, shown); break;
        case Command::Kind::Borders: paintBorders(context, *command.borders, command.pos); break;
        case Command::Kind::Marker: paintMarker(context, *command.marker, command.text); break;
        default: break;
        }
    }
    while (clips-- > 0) context.RestoreGState();
}

// --- The document ---

std::shared_ptr<litehtml::element> PageContainer::create_element(const litehtml::tchar_t* tag_name,
                                                                 const litehtml::string_map&,
                                                                 const std::shared_ptr<litehtml::document>& doc) {
    std::string_view tag = tag_name ? tag_name : "";
    // What only reads the page (style sheets, scripts, the title, the base) and list items (which
    // count themselves) the engine makes itself.
    if (tag == "style" || tag == "script" || tag == "link" || tag == "base" || tag == "title" || tag == "li") return nullptr;
    if (tag == "a") return std::make_shared<Bounded<litehtml::el_anchor>>(doc, false);
    if (tag == "body") return std::make_shared<Bounded<litehtml::el_body>>(doc, false);
    if (tag == "br") return std::make_shared<Bounded<litehtml::el_break>>(doc, false);
    if (tag == "div") return std::make_shared<Bounded<litehtml::el_div>>(doc, false);
    if (tag == "font") return std::make_shared<Bounded<litehtml::el_font>>(doc, false);
    if (tag == "img") return std::make_shared<Bounded<litehtml::el_image>>(doc, false);
    if (tag == "p") return std::make_shared<Bounded<litehtml::el_para>>(doc, false);
    if (tag == "table") return std::make_shared<Bounded<litehtml::el_table>>(doc, false);
    if (tag == "td" || tag == "th") return std::make_shared<Bounded<litehtml::el_td>>(doc, false);
    if (tag == "tr") return std::make_shared<Bounded<litehtml::el_tr>>(doc, false);
    return std::make_shared<Bounded<litehtml::html_tag>>(doc, tag == "html");
}

void PageContainer::set_caption(const litehtml::tchar_t* caption) { title_ = caption ? caption : ""; }

void PageContainer::set_base_url(const litehtml::tchar_t* base_url) {
    if (base_url && *base_url) base_ = resolve(base_url);
}

void PageContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring&) {
    text.clear();
    if (!toldStyleSheets_) ns::log("web: style sheets of other addresses are not loaded (%s)", url.c_str());
    toldStyleSheets_ = true;
}

void PageContainer::get_client_rect(litehtml::position& client) const {
    client = litehtml::position(0, 0, viewportWidth_, viewportHeight_);
}

void PageContainer::get_media_features(litehtml::media_features& media) const {
    media.type = litehtml::media_type_screen;
    media.width = media.device_width = viewportWidth_;
    media.height = media.device_height = viewportHeight_;
    media.color = 8;
    media.color_index = 256;
    media.monochrome = 0;
    media.resolution = 96;
}

void PageContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
    language = "zh";
    culture = "CN";
}

} // namespace wk
