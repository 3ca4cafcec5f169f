#include "os/graphics/Context.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cg {

namespace {

using SurfacePtr = std::shared_ptr<cairo_surface_t>;

SurfacePtr adopt(cairo_surface_t* s) { return SurfacePtr(s, cairo_surface_destroy); }

// Cairo's own 32-bit layouts on this host: B,G,R,A premultiplied and B,G,R,x.
bool isCairoARGB32(const PixelLayout& l) {
    return l.bytesPerPixel == 4 && !l.gray && l.r == 2 && l.g == 1 && l.b == 0 && l.a == 3 && l.premultiplied;
}
bool isCairoRGB24(const PixelLayout& l) {
    return l.bytesPerPixel == 4 && !l.gray && l.r == 2 && l.g == 1 && l.b == 0 && l.a < 0;
}
const PixelLayout kARGB32{4, 2, 1, 0, 3, false, true};
const PixelLayout kRGB24{4, 2, 1, 0, -1, false, false};

bool fitsCairo(const void* data, size_t rowBytes) {
    return reinterpret_cast<uintptr_t>(data) % 4 == 0 && rowBytes % 4 == 0 && rowBytes <= size_t(INT32_MAX);
}

void keepImageAlive(cairo_surface_t* s, const ImageRef& image) {
    static cairo_user_data_key_t key;
    cairo_surface_set_user_data(s, &key, new ImageRef(image), [](void* p) { delete static_cast<ImageRef*>(p); });
}

// A cairo surface showing the image: its own pixels when they are in a cairo layout, else a copy.
SurfacePtr sourceSurface(const ImageRef& image) {
    const PixelLayout& l = image->layout();
    int w = int(image->width()), h = int(image->height());
    if ((isCairoARGB32(l) || isCairoRGB24(l)) && fitsCairo(image->bytes(), image->bytesPerRow())) {
        auto s = adopt(cairo_image_surface_create_for_data(const_cast<uint8_t*>(image->bytes()),
                                                           isCairoARGB32(l) ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                                           w, h, int(image->bytesPerRow())));
        if (cairo_surface_status(s.get()) == CAIRO_STATUS_SUCCESS) {
            keepImageAlive(s.get(), image);
            return s;
        }
    }
    bool alpha = l.a >= 0;
    auto s = adopt(cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(s.get());
    ConvertPixels(image->bytes(), image->bytesPerRow(), l, cairo_image_surface_get_data(s.get()),
                  size_t(cairo_image_surface_get_stride(s.get())), alpha ? kARGB32 : kRGB24, size_t(w), size_t(h));
    cairo_surface_mark_dirty(s.get());
    return s;
}

// The coverage an image gives as a mask: its alpha, or its grey level when it has no alpha.
SurfacePtr coverageSurface(const ImageRef& image) {
    if (image->layout().a >= 0) return sourceSurface(image);
    int w = int(image->width()), h = int(image->height());
    auto s = adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, w, h));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(s.get());
    PixelLayout gray{1, 0, 0, 0, -1, true, false};
    ConvertPixels(image->bytes(), image->bytesPerRow(), image->layout(), cairo_image_surface_get_data(s.get()),
                  size_t(cairo_image_surface_get_stride(s.get())), gray, size_t(w), size_t(h));
    cairo_surface_mark_dirty(s.get());
    return s;
}

cairo_operator_t cairoOperator(BlendMode m) {
    switch (m) {
    case BlendMode::Normal: return CAIRO_OPERATOR_OVER;
    case BlendMode::Multiply: return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::Screen: return CAIRO_OPERATOR_SCREEN;
    case BlendMode::Overlay: return CAIRO_OPERATOR_OVERLAY;
    case BlendMode::Darken: return CAIRO_OPERATOR_DARKEN;
    case BlendMode::Lighten: return CAIRO_OPERATOR_LIGHTEN;
    case BlendMode::ColorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
    case BlendMode::ColorBurn: return CAIRO_OPERATOR_COLOR_BURN;
    case BlendMode::SoftLight: return CAIRO_OPERATOR_SOFT_LIGHT;
    case BlendMode::HardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    case BlendMode::Difference: return CAIRO_OPERATOR_DIFFERENCE;
    case BlendMode::Exclusion: return CAIRO_OPERATOR_EXCLUSION;
    case BlendMode::Hue: return CAIRO_OPERATOR_HSL_HUE;
    case BlendMode::Saturation: return CAIRO_OPERATOR_HSL_SATURATION;
    case BlendMode::Color: return CAIRO_OPERATOR_HSL_COLOR;
    case BlendMode::Luminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case BlendMode::Clear: return CAIRO_OPERATOR_CLEAR;
    case BlendMode::Copy: return CAIRO_OPERATOR_SOURCE;
    case BlendMode::SourceIn: return CAIRO_OPERATOR_IN;
    case BlendMode::SourceOut: return CAIRO_OPERATOR_OUT;
    case BlendMode::SourceAtop: return CAIRO_OPERATOR_ATOP;
    case BlendMode::DestinationOver: return CAIRO_OPERATOR_DEST_OVER;
    case BlendMode::DestinationIn: return CAIRO_OPERATOR_DEST_IN;
    case BlendMode::DestinationOut: return CAIRO_OPERATOR_DEST_OUT;
    case BlendMode::DestinationAtop: return CAIRO_OPERATOR_DEST_ATOP;
    case BlendMode::XOR: return CAIRO_OPERATOR_XOR;
    case BlendMode::PlusDarker: return CAIRO_OPERATOR_MULTIPLY; // cairo has no S + D - 1; closest at the extremes
    case BlendMode::PlusLighter: return CAIRO_OPERATOR_ADD;
    }
    return CAIRO_OPERATOR_OVER;
}

// Cairo lets these operators change pixels outside the shape drawn; the platform does not.
bool unbounded(cairo_operator_t op) {
    return op == CAIRO_OPERATOR_IN || op == CAIRO_OPERATOR_OUT || op == CAIRO_OPERATOR_DEST_IN ||
           op == CAIRO_OPERATOR_DEST_ATOP;
}

cairo_filter_t cairoFilter(InterpolationQuality q) {
    switch (q) {
    case InterpolationQuality::None: return CAIRO_FILTER_NEAREST;
    case InterpolationQuality::Low: return CAIRO_FILTER_BILINEAR;
    case InterpolationQuality::High: return CAIRO_FILTER_BEST;
    default: return CAIRO_FILTER_GOOD;
    }
}

// True when the map from image pixels to device pixels only moves by whole pixels and swaps or
// mirrors axes: then nearest sampling is exact and compositing stays bit-exact.
bool pixelAligned(const cairo_matrix_t& m) {
    auto unit = [](double v) { return std::fabs(std::fabs(v) - 1) < 1e-9; };
    auto zero = [](double v) { return std::fabs(v) < 1e-9; };
    auto whole = [](double v) { return std::fabs(v - std::round(v)) < 1e-9; };
    bool axes = (unit(m.xx) && unit(m.yy) && zero(m.xy) && zero(m.yx)) ||
                (zero(m.xx) && zero(m.yy) && unit(m.xy) && unit(m.yx));
    return axes && whole(m.x0) && whole(m.y0);
}

// Keeps cairo's current path across an operation that needs the path for itself.
class PathKeeper {
public:
    explicit PathKeeper(cairo_t* cr) : cr_(cr), path_(cairo_has_current_point(cr) ? cairo_copy_path(cr) : nullptr) {
        cairo_new_path(cr);
    }
    ~PathKeeper() {
        cairo_new_path(cr_);
        if (path_) {
            if (path_->status == CAIRO_STATUS_SUCCESS) cairo_append_path(cr_, path_);
            cairo_path_destroy(path_);
        }
    }
    PathKeeper(const PathKeeper&) = delete;
    PathKeeper& operator=(const PathKeeper&) = delete;

private:
    cairo_t* cr_;
    cairo_path_t* path_;
};

} // namespace

struct Context::GState {
    AffineTransform ctm;
    Color fill{0, 0, 0, 1};
    Color stroke{0, 0, 0, 1};
    double lineWidth = 1;
    LineJoin join = LineJoin::Miter;
    LineCap cap = LineCap::Butt;
    BlendMode blend = BlendMode::Normal;
    double alpha = 1;
    bool shouldAntialias = true;
    bool allowsAntialiasing = true;
    InterpolationQuality interpolation = InterpolationQuality::Default;
    SurfacePtr mask; // A8 coverage in device pixels, or none
};

struct Context::Impl {
    SurfacePtr surface; // the surface cairo draws into (the storage itself when native)
    cairo_t* cr = nullptr;
    bool native = false;
    bool singular = false; // the CTM cannot be inverted: drawing paints nothing
    int depth = 0;
    bool grouped = false;
    std::vector<GState> states{GState{}};
    ~Impl() {
        if (cr) cairo_destroy(cr);
    }
};

Context::Context() : impl_(std::make_unique<Impl>()) {}
Context::~Context() = default;

Context::GState& Context::state() { return impl_->states.back(); }
const Context::GState& Context::state() const { return impl_->states.back(); }

ContextRef Context::CreateBitmap(void* data, size_t width, size_t height, size_t bitsPerComponent, size_t bytesPerRow,
                                 const ColorSpaceRef& space, uint32_t bitmapInfo) {
    if (!space || width == 0 || height == 0 || width > 32767 || height > 32767) return nullptr;
    auto layout = DescribeFormat(bitsPerComponent, space->model() == ColorSpaceModel::RGB ? 32 : 8, bitmapInfo);
    if (!layout || layout->gray != (space->model() == ColorSpaceModel::Monochrome)) return nullptr;
    if (!layout->gray) {
        ImageAlphaInfo a = AlphaInfoOf(bitmapInfo);
        if (a == ImageAlphaLast || a == ImageAlphaFirst) return nullptr; // not premultiplied: refused
    }
    size_t minRow = width * size_t(layout->bytesPerPixel);
    if (bytesPerRow == 0) bytesPerRow = layout->gray ? (minRow + 3) & ~size_t(3) : minRow;
    if (bytesPerRow < minRow) return nullptr;
    auto ctx = ns::make<Context>();
    if (!ctx->setUp(data, width, height, bytesPerRow, space, bitmapInfo, *layout)) return nullptr;
    return ctx;
}

bool Context::setUp(void* data, size_t width, size_t height, size_t bytesPerRow, const ColorSpaceRef& space,
                    uint32_t bitmapInfo, const PixelLayout& layout) {
    width_ = width;
    height_ = height;
    bytesPerRow_ = bytesPerRow;
    bitmapInfo_ = bitmapInfo;
    layout_ = layout;
    colorSpace_ = space;
    if (data) {
        storage_ = data;
    } else {
        owned_.assign(bytesPerRow * height, 0);
        storage_ = owned_.data();
    }
    bool alpha = layout.a >= 0;
    impl_->native = (isCairoARGB32(layout) || isCairoRGB24(layout)) && fitsCairo(storage_, bytesPerRow);
    cairo_format_t format = alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    impl_->surface = adopt(impl_->native ? cairo_image_surface_create_for_data(static_cast<unsigned char*>(storage_),
                                                                               format, int(width), int(height),
                                                                               int(bytesPerRow))
                                         : cairo_image_surface_create(format, int(width), int(height)));
    if (cairo_surface_status(impl_->surface.get()) != CAIRO_STATUS_SUCCESS) return false;
    impl_->cr = cairo_create(impl_->surface.get());
    if (cairo_status(impl_->cr) != CAIRO_STATUS_SUCCESS) return false;
    cairo_set_line_width(impl_->cr, 1);
    syncMatrix();
    return true;
}

// --- Drawing brackets ---------------------------------------------------------------------

cairo_t* Context::begin() {
    Impl& im = *impl_;
    if (im.depth++ > 0) return im.cr;
    cairo_surface_t* s = im.surface.get();
    if (!im.native) {
        cairo_surface_flush(s);
        ConvertPixels(static_cast<const uint8_t*>(storage_), bytesPerRow_, layout_, cairo_image_surface_get_data(s),
                      size_t(cairo_image_surface_get_stride(s)), layout_.a >= 0 ? kARGB32 : kRGB24, width_, height_);
    }
    cairo_surface_mark_dirty(s); // the storage may have been written through data()
    if (state().mask) {
        // Draw into a copy of the pixels, then blend the copy back through the mask.
        cairo_push_group(im.cr);
        cairo_save(im.cr);
        cairo_identity_matrix(im.cr);
        cairo_set_operator(im.cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(im.cr, s, 0, 0);
        cairo_paint(im.cr);
        cairo_restore(im.cr);
        im.grouped = true;
    }
    const GState& g = state();
    cairo_set_antialias(im.cr, g.shouldAntialias && g.allowsAntialiasing ? CAIRO_ANTIALIAS_DEFAULT
                                                                         : CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(im.cr, cairoOperator(g.blend));
    return im.cr;
}

void Context::end() {
    Impl& im = *impl_;
    if (im.depth == 0 || --im.depth > 0) return;
    if (im.grouped) {
        cairo_pop_group_to_source(im.cr);
        cairo_save(im.cr);
        cairo_identity_matrix(im.cr);
        cairo_set_operator(im.cr, CAIRO_OPERATOR_SOURCE);
        cairo_mask_surface(im.cr, state().mask.get(), 0, 0);
        cairo_restore(im.cr);
        cairo_set_source_rgb(im.cr, 0, 0, 0);
        im.grouped = false;
    }
    cairo_surface_t* s = im.surface.get();
    cairo_surface_flush(s);
    if (!im.native)
        ConvertPixels(cairo_image_surface_get_data(s), size_t(cairo_image_surface_get_stride(s)),
                      layout_.a >= 0 ? kARGB32 : kRGB24, static_cast<uint8_t*>(storage_), bytesPerRow_, layout_,
                      width_, height_);
}

cairo_t* Context::cairoForDrawing() { return begin(); }
void Context::finishDrawing() { end(); }

void Context::syncMatrix() {
    const AffineTransform& t = state().ctm;
    double det = t.a * t.d - t.b * t.c;
    impl_->singular = !(std::isfinite(det) && det != 0 && std::isfinite(t.tx) && std::isfinite(t.ty));
    if (impl_->singular) return;
    // User space -> y-up device pixels (the CTM) -> cairo's y-down device pixels.
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, -t.b, t.c, -t.d, t.tx, double(height_) - t.ty);
    cairo_set_matrix(impl_->cr, &m);
}

// --- Bitmap ---------------------------------------------------------------------------------

ImageRef Context::CreateImage() const {
    cairo_surface_flush(impl_->surface.get());
    auto provider = DataProvider::CreateWithCopy(storage_, bytesPerRow_ * height_);
    return Image::Create(width_, height_, 8, size_t(layout_.bytesPerPixel) * 8, bytesPerRow_, colorSpace_, bitmapInfo_,
                         provider);
}

// --- Graphics state -------------------------------------------------------------------------

void Context::SaveGState() {
    cairo_save(impl_->cr);
    impl_->states.push_back(state());
}

void Context::RestoreGState() {
    if (impl_->states.size() < 2) return;
    cairo_restore(impl_->cr);
    impl_->states.pop_back();
    syncMatrix();
}

void Context::ConcatCTM(const AffineTransform& t) {
    state().ctm = AffineTransformConcat(t, state().ctm);
    syncMatrix();
}
void Context::TranslateCTM(double tx, double ty) { ConcatCTM(AffineTransformMakeTranslation(tx, ty)); }
void Context::ScaleCTM(double sx, double sy) { ConcatCTM(AffineTransformMakeScale(sx, sy)); }
void Context::RotateCTM(double angle) { ConcatCTM(AffineTransformMakeRotation(angle)); }
AffineTransform Context::GetCTM() const { return state().ctm; }

void Context::SetFillColor(Color c) { state().fill = c; }
void Context::SetStrokeColor(Color c) { state().stroke = c; }
Color Context::fillColor() const { return state().fill; }
Color Context::strokeColor() const { return state().stroke; }
void Context::SetLineWidth(double w) { state().lineWidth = w; }
void Context::SetLineJoin(LineJoin j) { state().join = j; }
void Context::SetLineCap(LineCap c) { state().cap = c; }
void Context::SetBlendMode(BlendMode m) { state().blend = m; }
BlendMode Context::blendMode() const { return state().blend; }
void Context::SetAlpha(double a) { state().alpha = std::clamp(a, 0.0, 1.0); }
double Context::alpha() const { return state().alpha; }
void Context::SetShouldAntialias(bool on) { state().shouldAntialias = on; }
void Context::SetAllowsAntialiasing(bool on) { state().allowsAntialiasing = on; }
void Context::SetInterpolationQuality(InterpolationQuality q) { state().interpolation = q; }
InterpolationQuality Context::interpolationQuality() const { return state().interpolation; }

// --- Path -----------------------------------------------------------------------------------

void Context::BeginPath() { cairo_new_path(impl_->cr); }

void Context::MoveToPoint(Point p) {
    if (!impl_->singular) cairo_move_to(impl_->cr, p.x, p.y);
}

void Context::AddLineToPoint(Point p) {
    if (!impl_->singular) cairo_line_to(impl_->cr, p.x, p.y);
}

void Context::AddCurveToPoint(Point c1, Point c2, Point end) {
    if (!impl_->singular) cairo_curve_to(impl_->cr, c1.x, c1.y, c2.x, c2.y, end.x, end.y);
}

void Context::AddArc(Point centre, double radius, double startAngle, double endAngle, bool clockwise) {
    if (impl_->singular || !(radius >= 0)) return;
    // Counter-clockwise in user space is cairo's increasing angle; cairo's matrix carries any flip.
    if (clockwise) cairo_arc_negative(impl_->cr, centre.x, centre.y, radius, startAngle, endAngle);
    else cairo_arc(impl_->cr, centre.x, centre.y, radius, startAngle, endAngle);
}

void Context::AddRect(Rect r) {
    if (impl_->singular || RectIsNull(r)) return;
    r = RectStandardize(r);
    cairo_rectangle(impl_->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
}

void Context::ClosePath() {
    if (cairo_has_current_point(impl_->cr)) cairo_close_path(impl_->cr);
}

void Context::AddPath(const Path& path) {
    if (impl_->singular) return;
    cairo_t* cr = impl_->cr;
    for (const Path::Element& e : path.elements()) {
        switch (e.type) {
        case Path::ElementType::MoveTo: cairo_move_to(cr, e.points[0].x, e.points[0].y); break;
        case Path::ElementType::LineTo: cairo_line_to(cr, e.points[0].x, e.points[0].y); break;
        case Path::ElementType::QuadCurveTo: {
            double x0 = e.points[0].x, y0 = e.points[0].y;
            if (cairo_has_current_point(cr)) cairo_get_current_point(cr, &x0, &y0);
            const Point& c = e.points[0];
            const Point& p = e.points[1];
            cairo_curve_to(cr, x0 + 2.0 / 3 * (c.x - x0), y0 + 2.0 / 3 * (c.y - y0), p.x + 2.0 / 3 * (c.x - p.x),
                           p.y + 2.0 / 3 * (c.y - p.y), p.x, p.y);
            break;
        }
        case Path::ElementType::CurveTo:
            cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x,
                           e.points[2].y);
            break;
        case Path::ElementType::Arc: AddArc(e.points[0], e.radius, e.startAngle, e.endAngle, e.clockwise); break;
        case Path::ElementType::Close: ClosePath(); break;
        }
    }
}

// --- Clipping -------------------------------------------------------------------------------

void Context::Clip() {
    cairo_set_fill_rule(impl_->cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(impl_->cr);
}

void Context::EOClip() {
    cairo_set_fill_rule(impl_->cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(impl_->cr);
}

void Context::ClipToRect(Rect r) {
    PathKeeper keep(impl_->cr);
    if (!impl_->singular && !RectIsNull(r)) {
        r = RectStandardize(r);
        cairo_rectangle(impl_->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    }
    cairo_set_fill_rule(impl_->cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(impl_->cr); // an empty path clips everything away
}

void Context::ClipToMask(Rect rect, const ImageRef& mask) {
    if (!mask) return;
    auto coverage = adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, int(width_), int(height_)));
    if (cairo_surface_status(coverage.get()) != CAIRO_STATUS_SUCCESS) return;
    rect = RectStandardize(rect);
    auto source = coverageSurface(mask);
    if (source && !impl_->singular && !RectIsEmpty(rect)) {
        cairo_t* c = cairo_create(coverage.get());
        cairo_matrix_t m;
        cairo_get_matrix(impl_->cr, &m);
        cairo_set_matrix(c, &m);
        cairo_translate(c, rect.origin.x, rect.origin.y + rect.size.height);
        cairo_scale(c, rect.size.width / double(mask->width()), -rect.size.height / double(mask->height()));
        cairo_set_source_surface(c, source.get(), 0, 0);
        cairo_pattern_set_extend(cairo_get_source(c), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(c), cairoFilter(state().interpolation));
        cairo_rectangle(c, 0, 0, double(mask->width()), double(mask->height()));
        cairo_fill(c);
        if (state().mask) {
            cairo_identity_matrix(c);
            cairo_set_operator(c, CAIRO_OPERATOR_IN);
            cairo_set_source_surface(c, state().mask.get(), 0, 0);
            cairo_paint(c);
        }
        cairo_destroy(c);
    }
    cairo_surface_flush(coverage.get());
    state().mask = coverage;
}

// --- Painting -------------------------------------------------------------------------------

namespace {
void setSource(cairo_t* cr, Color c, double alpha) {
    auto clamp01 = [](double v) { return std::clamp(v, 0.0, 1.0); };
    cairo_set_source_rgba(cr, clamp01(c.r), clamp01(c.g), clamp01(c.b), clamp01(c.a) * alpha);
}
} // namespace

void Context::FillPath() { fillPath(false); }

void Context::EOFillPath() { fillPath(true); }

void Context::fillPath(bool evenOdd) {
    if (impl_->singular) return BeginPath();
    cairo_t* cr = begin();
    cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    setSource(cr, state().fill, state().alpha);
    if (unbounded(cairo_get_operator(cr))) {
        cairo_save(cr);
        cairo_clip_preserve(cr);
        cairo_fill(cr);
        cairo_restore(cr);
    } else {
        cairo_fill(cr);
    }
    end();
}

void Context::StrokePath() {
    if (impl_->singular) return BeginPath();
    cairo_t* cr = begin();
    const GState& g = state();
    setSource(cr, g.stroke, g.alpha);
    cairo_set_line_width(cr, g.lineWidth);
    cairo_set_line_join(cr, g.join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                            : g.join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                        : CAIRO_LINE_JOIN_MITER);
    cairo_set_line_cap(cr, g.cap == LineCap::Round    ? CAIRO_LINE_CAP_ROUND
                           : g.cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                      : CAIRO_LINE_CAP_BUTT);
    cairo_stroke(cr);
    end();
}

void Context::FillRect(Rect r) {
    BeginPath();
    AddRect(r);
    FillPath();
}

void Context::StrokeRect(Rect r) {
    BeginPath();
    AddRect(r);
    StrokePath();
}

void Context::ClearRect(Rect r) {
    if (impl_->singular || RectIsNull(r)) return;
    r = RectStandardize(r);
    cairo_t* cr = begin();
    PathKeeper keep(cr);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_fill(cr);
    cairo_restore(cr);
    end();
}

void Context::DrawImageUpright(Rect rect, const ImageRef& image) {
    SaveGState();
    TranslateCTM(rect.origin.x, rect.origin.y + rect.size.height);
    ScaleCTM(1, -1);
    DrawImage(RectMake(0, 0, rect.size.width, rect.size.height), image);
    RestoreGState();
}

void Context::DrawImage(Rect rect, const ImageRef& image) {
    if (!image || impl_->singular || RectIsNull(rect)) return;
    rect = RectStandardize(rect);
    if (rect.size.width == 0 || rect.size.height == 0) return;
    auto source = sourceSurface(image);
    if (!source) return;
    double w = double(image->width()), h = double(image->height());
    cairo_t* cr = begin();
    {
        PathKeeper keep(cr);
        cairo_save(cr);
        // Image pixel rows run downwards from the rect's top (max y in user space).
        cairo_translate(cr, rect.origin.x, rect.origin.y + rect.size.height);
        cairo_scale(cr, rect.size.width / w, -rect.size.height / h);
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        cairo_set_source_surface(cr, source.get(), 0, 0);
        cairo_pattern_t* p = cairo_get_source(cr);
        cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(p, pixelAligned(m) ? CAIRO_FILTER_NEAREST : cairoFilter(state().interpolation));
        cairo_rectangle(cr, 0, 0, w, h);
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, state().alpha);
        cairo_restore(cr);
    }
    end();
}

} // namespace cg
