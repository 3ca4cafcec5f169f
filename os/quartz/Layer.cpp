#include "os/quartz/Layer.h"

#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"
#include "os/quartz/Transaction.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace ca {

namespace {

// --- The display pass ---

struct Pending {
    std::mutex mutex;
    std::vector<ns::Weak<Layer>> layers;
    bool scheduled = false;
};

Pending& pending() {
    static Pending* p = new Pending();
    return *p;
}

constexpr double kDefaultAnimationDuration = 0.25;

// --- Presentation ---

// The cubic Bézier timing curve through (0,0), (x1,y1), (x2,y2), (1,1), at progress x.
double bezier(double x, double x1, double y1, double x2, double y2) {
    auto at = [](double t, double p1, double p2) {
        double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    };
    double lo = 0, hi = 1, t = x;
    for (int i = 0; i < 40; ++i) { // x(t) rises monotonically for control points in [0, 1]
        t = (lo + hi) / 2;
        if (at(t, x1, x2) < x) lo = t;
        else hi = t;
    }
    return at(t, y1, y2);
}

// How far along the change is at `now`: 0 before it begins, 1 from its end on.
double progress(const AnimationTiming& timing, double now) {
    if (now <= timing.begin) return 0;
    if (!(timing.duration > 0) || now >= timing.begin + timing.duration) return 1;
    double x = (now - timing.begin) / timing.duration;
    switch (timing.curve) {
    case AnimationCurve::Linear: return x;
    case AnimationCurve::EaseIn: return bezier(x, 0.42, 0, 1, 1);
    case AnimationCurve::EaseOut: return bezier(x, 0, 0, 0.58, 1);
    case AnimationCurve::EaseInOut: return bezier(x, 0.42, 0, 0.58, 1);
    }
    return x;
}

double mix(double from, double to, double f) { return from + (to - from) * f; }
cg::Point mix(cg::Point from, cg::Point to, double f) { return {mix(from.x, to.x, f), mix(from.y, to.y, f)}; }
cg::Rect mix(cg::Rect from, cg::Rect to, double f) {
    return cg::RectMake(mix(from.origin.x, to.origin.x, f), mix(from.origin.y, to.origin.y, f),
                        mix(from.size.width, to.size.width, f), mix(from.size.height, to.size.height, f));
}

// A transform as translation, rotation, scales and shear, so that a turn stays a turn halfway.
struct Parts {
    double tx, ty, angle, sx, sy, shear;
};

std::optional<Parts> decompose(const cg::AffineTransform& t) {
    double sx = std::hypot(t.a, t.b);
    if (!(sx > 0)) return std::nullopt;
    double angle = std::atan2(t.b, t.a), cs = std::cos(angle), sn = std::sin(angle);
    return Parts{t.tx, t.ty, angle, sx, -t.c * sn + t.d * cs, t.c * cs + t.d * sn};
}

cg::AffineTransform mix(const cg::AffineTransform& from, const cg::AffineTransform& to, double f) {
    auto p = decompose(from), q = decompose(to);
    if (!p || !q) {
        return {mix(from.a, to.a, f), mix(from.b, to.b, f), mix(from.c, to.c, f),
                mix(from.d, to.d, f), mix(from.tx, to.tx, f), mix(from.ty, to.ty, f)};
    }
    double turn = q->angle - p->angle; // the shorter way round
    if (turn > M_PI) turn -= 2 * M_PI;
    else if (turn < -M_PI) turn += 2 * M_PI;
    double angle = p->angle + turn * f, cs = std::cos(angle), sn = std::sin(angle);
    double sx = mix(p->sx, q->sx, f), sy = mix(p->sy, q->sy, f), shear = mix(p->shear, q->shear, f);
    return {sx * cs, sx * sn, shear * cs - sy * sn, shear * sn + sy * cs, mix(p->tx, q->tx, f), mix(p->ty, q->ty, f)};
}

// No colour reads as the other end's colour, fully transparent.
std::optional<cg::Color> mix(const std::optional<cg::Color>& from, const std::optional<cg::Color>& to, double f) {
    if (!from && !to) return std::nullopt;
    cg::Color a = from ? *from : cg::Color{to->r, to->g, to->b, 0};
    cg::Color b = to ? *to : cg::Color{from->r, from->g, from->b, 0};
    return cg::Color{mix(a.r, b.r, f), mix(a.g, b.g, f), mix(a.b, b.b, f), mix(a.a, b.a, f)};
}

template <class Move, class T> T shown(const std::optional<Move>& move, const T& model, double now) {
    if (!move || now >= move->timing.begin + move->timing.duration) return model;
    return mix(move->from, move->to, progress(move->timing, now));
}

template <class Move, class T>
void note(std::optional<Move>& move, const T& before, const T& shownBefore, const T& model,
          const std::optional<AnimationTiming>& timing) {
    if (before == model) return;
    if (timing && timing->duration > 0) move = Move{shownBefore, model, *timing};
    else move.reset();
}

// --- Rendering ---

cg::Path roundedRect(cg::Rect r, double radius) {
    cg::Path path;
    radius = std::min(radius, std::min(r.size.width, r.size.height) / 2);
    if (radius > 0) path.AddRoundedRect(r, radius);
    else path.AddRect(r);
    return path;
}

// Where the whole contents rectangle goes inside the bounds, by gravity.
cg::Rect placeContents(const std::string& gravity, cg::Rect b, cg::Size size) {
    if (gravity == kGravityResize || size.width <= 0 || size.height <= 0) return b;
    if (gravity == kGravityResizeAspect || gravity == kGravityResizeAspectFill) {
        double sx = b.size.width / size.width, sy = b.size.height / size.height;
        double s = gravity == kGravityResizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        size = {size.width * s, size.height * s};
    }
    double left = b.origin.x, right = cg::RectGetMaxX(b) - size.width;
    double top = b.origin.y, bottom = cg::RectGetMaxY(b) - size.height;
    double midX = (left + right) / 2, midY = (top + bottom) / 2;
    double x = midX, y = midY;
    if (gravity == kGravityTop) y = top;
    else if (gravity == kGravityBottom) y = bottom;
    else if (gravity == kGravityLeft) x = left;
    else if (gravity == kGravityRight) x = right;
    else if (gravity == kGravityTopLeft) x = left, y = top;
    else if (gravity == kGravityTopRight) x = right, y = top;
    else if (gravity == kGravityBottomLeft) x = left, y = bottom;
    else if (gravity == kGravityBottomRight) x = right, y = bottom;
    return cg::RectMake(x, y, size.width, size.height);
}

void drawContents(cg::Context& context, const Layer& layer, cg::Rect bounds) {
    const cg::ImageRef& image = layer.contents();
    if (!image) return;
    double w = static_cast<double>(image->width()), h = static_cast<double>(image->height());
    cg::Rect unit = layer.contentsRect();
    cg::Rect source = cg::RectStandardize(cg::RectMake(unit.origin.x * w, unit.origin.y * h, unit.size.width * w,
                                                       unit.size.height * h));
    if (!(source.size.width > 0 && source.size.height > 0)) return;
    cg::Rect shown = cg::RectIntersection(cg::RectIntegral(source), cg::RectMake(0, 0, w, h));
    if (cg::RectIsEmpty(shown)) return;

    double scale = layer.contentsScale() > 0 ? layer.contentsScale() : 1;
    cg::Rect whole = placeContents(layer.contentsGravity(), bounds,
                                   {source.size.width / scale, source.size.height / scale});
    // The pixels actually there take their share of the whole rectangle.
    double fx = whole.size.width / source.size.width, fy = whole.size.height / source.size.height;
    cg::Rect at = cg::RectMake(whole.origin.x + (shown.origin.x - source.origin.x) * fx,
                               whole.origin.y + (shown.origin.y - source.origin.y) * fy, shown.size.width * fx,
                               shown.size.height * fy);
    cg::ImageRef piece = shown == cg::RectMake(0, 0, w, h) ? image : cg::Image::CreateWithImageInRect(image, shown);
    if (piece) context.DrawImageUpright(at, piece);
}

void renderLayer(cg::Context& context, const Layer& layer);

// A sublayer's bounds space inside its superlayer's.
void enterSublayer(cg::Context& context, const Layer& sub) {
    AnimatableValues shown = sub.presentationValues();
    cg::Rect b = shown.bounds;
    cg::Point p = shown.position, a = sub.anchorPoint();
    context.TranslateCTM(p.x, p.y);
    context.ConcatCTM(shown.transform);
    context.TranslateCTM(-(b.origin.x + a.x * b.size.width), -(b.origin.y + a.y * b.size.height));
}

// An empty context of the same device size and user space, for group opacity and masks.
cg::ContextRef offscreenLike(const cg::Context& context) {
    auto offscreen = cg::Context::CreateBitmap(nullptr, context.width(), context.height(), 8, 0,
                                               cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    if (offscreen) offscreen->ConcatCTM(context.GetCTM());
    return offscreen;
}

// Draws a device-size image over the whole device, whatever the CTM.
void composite(cg::Context& context, const cg::ImageRef& image, double alpha, cg::BlendMode mode) {
    context.SaveGState();
    context.ConcatCTM(cg::AffineTransformInvert(context.GetCTM()));
    context.SetAlpha(context.alpha() * alpha);
    context.SetBlendMode(mode);
    context.DrawImage(cg::RectMake(0, 0, static_cast<double>(context.width()), static_cast<double>(context.height())),
                      image);
    context.RestoreGState();
}

// One pass of a separable Gaussian blur over a w x h plane of coverage; `step` walks along a line,
// `stride` from line to line.
void blurPass(std::vector<float>& plane, const std::vector<float>& kernel, int length, int lines, int step,
              int stride) {
    int reach = static_cast<int>(kernel.size()) / 2;
    std::vector<float> line(static_cast<size_t>(length));
    for (int l = 0; l < lines; ++l) {
        float* base = plane.data() + static_cast<ptrdiff_t>(l) * stride;
        for (int i = 0; i < length; ++i) line[static_cast<size_t>(i)] = base[static_cast<ptrdiff_t>(i) * step];
        for (int i = 0; i < length; ++i) {
            float sum = 0;
            int from = std::max(0, i - reach), to = std::min(length - 1, i + reach);
            for (int j = from; j <= to; ++j) sum += line[static_cast<size_t>(j)] * kernel[static_cast<size_t>(j - i + reach)];
            base[static_cast<ptrdiff_t>(i) * step] = sum;
        }
    }
}

void drawBody(cg::Context& context, const Layer& layer, const AnimatableValues& shown, bool withShadow = true);

// A rectangle holding the whole path (control points included).
cg::Rect pathBounds(const cg::Path& path) {
    cg::Rect r = cg::RectNull;
    for (const cg::Path::Element& e : path.elements()) {
        int points = 0;
        switch (e.type) {
        case cg::Path::ElementType::MoveTo:
        case cg::Path::ElementType::LineTo: points = 1; break;
        case cg::Path::ElementType::QuadCurveTo: points = 2; break;
        case cg::Path::ElementType::CurveTo: points = 3; break;
        case cg::Path::ElementType::Arc:
            r = cg::RectUnion(r, cg::RectMake(e.points[0].x - e.radius, e.points[0].y - e.radius, 2 * e.radius,
                                              2 * e.radius));
            break;
        case cg::Path::ElementType::Close: break;
        }
        for (int i = 0; i < points; ++i) r = cg::RectUnion(r, cg::RectMake(e.points[i].x, e.points[i].y, 0, 0));
    }
    return r;
}

// All a layer and its sublayers may draw on, in its bounds space.
cg::Rect coverage(const Layer& layer, const AnimatableValues& shown) {
    cg::Rect r = shown.bounds;
    if (layer.masksToBounds()) return r;
    if (const auto& image = layer.contents()) {
        double scale = layer.contentsScale() > 0 ? layer.contentsScale() : 1;
        r = cg::RectUnion(r, placeContents(layer.contentsGravity(), shown.bounds,
                                           {static_cast<double>(image->width()) / scale,
                                            static_cast<double>(image->height()) / scale}));
    }
    for (const LayerRef& sub : layer.sublayers()) {
        if (sub->isHidden()) continue;
        AnimatableValues inner = sub->presentationValues();
        cg::Rect b = inner.bounds;
        cg::Point a = sub->anchorPoint();
        cg::AffineTransform place = cg::AffineTransformConcat(
            cg::AffineTransformConcat(cg::AffineTransformMakeTranslation(-(b.origin.x + a.x * b.size.width),
                                                                         -(b.origin.y + a.y * b.size.height)),
                                      inner.transform),
            cg::AffineTransformMakeTranslation(inner.position.x, inner.position.y));
        r = cg::RectUnion(r, cg::RectApplyAffineTransform(coverage(*sub, inner), place));
    }
    return r;
}

// The shadow: the layer's shape (its shadow path, else the alpha of all it draws) moved by the
// offset, blurred with a Gaussian of half the shadow radius as deviation, in the shadow colour at
// the shadow opacity, under the layer. A layer that masks to its bounds clips its shadow too.
void drawShadow(cg::Context& context, const Layer& layer, const AnimatableValues& shown) {
    auto color = layer.shadowColor();
    double strength = std::min(layer.shadowOpacity(), 1.0) * (color ? std::clamp(color->a, 0.0, 1.0) : 0);
    if (!(strength > 0)) return;
    const auto& path = layer.shadowPath();
    cg::Size offset = layer.shadowOffset();
    cg::Rect user = cg::RectOffset(path ? pathBounds(*path) : coverage(layer, shown), offset.width, offset.height);
    if (cg::RectIsNull(user)) return;

    // The deviation in device pixels, by the CTM's scale.
    cg::AffineTransform ctm = context.GetCTM();
    double scale = std::sqrt(std::fabs(ctm.a * ctm.d - ctm.b * ctm.c));
    double sigma = std::max(0.0, layer.shadowRadius()) / 2 * scale;
    int reach = sigma > 0 ? static_cast<int>(std::ceil(3 * sigma)) : 0;

    // The shape is drawn only where it can lie (y-up device pixels), with room for the blur.
    double margin = reach + 1;
    cg::Rect device = cg::RectIntersection(
        cg::RectInset(cg::RectIntegral(cg::RectApplyAffineTransform(user, ctm)), -margin, -margin),
        cg::RectInset(cg::RectMake(0, 0, static_cast<double>(context.width()), static_cast<double>(context.height())),
                      -margin, -margin));
    if (cg::RectIsEmpty(device)) return;
    auto shape = cg::Context::CreateBitmap(nullptr, static_cast<size_t>(device.size.width),
                                           static_cast<size_t>(device.size.height), 8, 0,
                                           cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    if (!shape) return;
    shape->ConcatCTM(cg::AffineTransformConcat(
        ctm, cg::AffineTransformMakeTranslation(-device.origin.x, -device.origin.y)));
    shape->TranslateCTM(offset.width, offset.height);
    if (path) {
        shape->SetFillColor({0, 0, 0, 1});
        shape->BeginPath();
        shape->AddPath(*path);
        shape->FillPath();
    } else {
        drawBody(*shape, layer, shown, false);
    }

    int w = static_cast<int>(shape->width()), h = static_cast<int>(shape->height());
    auto* pixels = static_cast<uint8_t*>(shape->data());
    size_t row = shape->bytesPerRow();
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pixels[static_cast<size_t>(y) * row + static_cast<size_t>(x) * 4 + 3]) {
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0) return;
    x0 = std::max(0, x0 - reach), y0 = std::max(0, y0 - reach);
    x1 = std::min(w - 1, x1 + reach), y1 = std::min(h - 1, y1 + reach);
    int rw = x1 - x0 + 1, rh = y1 - y0 + 1;
    std::vector<float> plane(static_cast<size_t>(rw) * static_cast<size_t>(rh));
    for (int y = 0; y < rh; ++y)
        for (int x = 0; x < rw; ++x)
            plane[static_cast<size_t>(y * rw + x)] =
                pixels[static_cast<size_t>(y + y0) * row + static_cast<size_t>(x + x0) * 4 + 3] / 255.0f;
    if (reach > 0) {
        std::vector<float> kernel(static_cast<size_t>(2 * reach + 1));
        float total = 0;
        for (int i = -reach; i <= reach; ++i)
            total += kernel[static_cast<size_t>(i + reach)] = static_cast<float>(std::exp(-i * i / (2 * sigma * sigma)));
        for (float& k : kernel) k /= total;
        blurPass(plane, kernel, rw, rh, 1, rw);
        blurPass(plane, kernel, rh, rw, rw, 1);
    }

    // The blurred region alone, as premultiplied shadow colour (B, G, R, A in memory).
    auto blurred = cg::Context::CreateBitmap(nullptr, static_cast<size_t>(rw), static_cast<size_t>(rh), 8, 0,
                                             cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    if (!blurred) return;
    auto* out = static_cast<uint8_t*>(blurred->data());
    auto level = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    for (int y = 0; y < rh; ++y)
        for (int x = 0; x < rw; ++x) {
            double a = std::clamp(static_cast<double>(plane[static_cast<size_t>(y * rw + x)]), 0.0, 1.0) * strength;
            uint8_t* p = out + static_cast<size_t>(y) * blurred->bytesPerRow() + static_cast<size_t>(x) * 4;
            p[0] = level(color->b * a), p[1] = level(color->g * a), p[2] = level(color->r * a), p[3] = level(a);
        }
    context.SaveGState();
    if (layer.masksToBounds()) {
        context.BeginPath();
        context.AddPath(roundedRect(shown.bounds, layer.cornerRadius()));
        context.Clip();
    }
    // Rows above were counted from the top; the device space runs upwards.
    context.ConcatCTM(cg::AffineTransformInvert(context.GetCTM()));
    context.DrawImage(cg::RectMake(device.origin.x + x0, device.origin.y + h - y0 - rh, rw, rh), blurred->CreateImage());
    context.RestoreGState();
}

void drawBody(cg::Context& context, const Layer& layer, const AnimatableValues& shown, bool withShadow) {
    cg::Rect b = shown.bounds;
    if (withShadow) drawShadow(context, layer, shown);
    if (auto color = shown.backgroundColor; color && color->a > 0) {
        context.SaveGState();
        context.SetFillColor(*color);
        context.BeginPath();
        context.AddPath(roundedRect(b, layer.cornerRadius()));
        context.FillPath();
        context.RestoreGState();
    }
    context.SaveGState();
    if (layer.masksToBounds()) {
        context.BeginPath();
        context.AddPath(roundedRect(b, layer.cornerRadius()));
        context.Clip();
    }
    drawContents(context, layer, b);
    for (const LayerRef& sub : layer.sublayers()) {
        context.SaveGState();
        enterSublayer(context, *sub);
        renderLayer(context, *sub);
        context.RestoreGState();
    }
    context.RestoreGState();
    double width = std::min(layer.borderWidth(), std::min(b.size.width, b.size.height) / 2);
    if (width > 0 && layer.borderColor().a > 0) {
        // Centred on a path inset by half the width, so the stroke lies inside the bounds.
        cg::Rect inset = cg::RectInset(b, width / 2, width / 2);
        context.SaveGState();
        context.SetStrokeColor(layer.borderColor());
        context.SetLineWidth(width);
        context.BeginPath();
        context.AddPath(roundedRect(inset, std::max(0.0, layer.cornerRadius() - width / 2)));
        context.StrokePath();
        context.RestoreGState();
    }
}

void renderLayer(cg::Context& context, const Layer& layer) {
    AnimatableValues shown = layer.presentationValues();
    if (layer.isHidden() || !(shown.opacity > 0)) return;
    const LayerRef& mask = layer.mask();
    if (shown.opacity >= 1 && !mask) {
        drawBody(context, layer, shown);
        return;
    }
    // The layer and its sublayers fade (and are masked) as one picture.
    auto group = offscreenLike(context);
    if (!group) return;
    drawBody(*group, layer, shown);
    if (mask) {
        auto maskContext = offscreenLike(context);
        if (!maskContext) return;
        maskContext->SaveGState();
        enterSublayer(*maskContext, *mask);
        renderLayer(*maskContext, *mask);
        maskContext->RestoreGState();
        composite(*group, maskContext->CreateImage(), 1, cg::BlendMode::DestinationIn);
    }
    composite(context, group->CreateImage(), std::min(shown.opacity, 1.0), cg::BlendMode::Normal);
}

} // namespace

LayerRef Layer::layer() { return ns::make<Layer>(); }

cg::Rect Layer::frame() const {
    cg::Size s = bounds_.size;
    cg::Rect local = cg::RectMake(-anchorPoint_.x * s.width, -anchorPoint_.y * s.height, s.width, s.height);
    return cg::RectOffset(cg::RectApplyAffineTransform(local, transform_), position_.x, position_.y);
}

void Layer::setFrame(cg::Rect frame) {
    frame = cg::RectStandardize(frame);
    if (cg::AffineTransformIsIdentity(transform_)) bounds_.size = frame.size;
    cg::Rect now = this->frame();
    // Move so that the frame's origin lands where asked.
    position_.x += frame.origin.x - now.origin.x;
    position_.y += frame.origin.y - now.origin.y;
}

AnimatableValues Layer::modelValues() const {
    return {opacity_, position_, bounds_, transform_, backgroundColor_};
}

AnimatableValues Layer::presentationValues() const {
    double now = ns::Clock::now();
    return {shown(opacityMove_, opacity_, now), shown(positionMove_, position_, now), shown(boundsMove_, bounds_, now),
            shown(transformMove_, transform_, now), shown(backgroundMove_, backgroundColor_, now)};
}

void Layer::noteChanges(const AnimatableValues& before, const AnimatableValues& shownBefore,
                        const std::optional<AnimationTiming>& timing) {
    note(opacityMove_, before.opacity, shownBefore.opacity, opacity_, timing);
    note(positionMove_, before.position, shownBefore.position, position_, timing);
    note(boundsMove_, before.bounds, shownBefore.bounds, bounds_, timing);
    note(transformMove_, before.transform, shownBefore.transform, transform_, timing);
    note(backgroundMove_, before.backgroundColor, shownBefore.backgroundColor, backgroundColor_, timing);
}

void Layer::addSublayer(const LayerRef& layer) { insertSublayer(layer, sublayers_.size()); }

void Layer::insertSublayer(const LayerRef& layer, size_t index) {
    if (!layer) return;
    for (const Layer* up = this; up; up = up->superlayer_.lock().get())
        if (up == layer.get()) return;
    LayerRef keep = layer;
    if (auto old = layer->superlayer()) {
        auto& list = old->sublayers_;
        auto it = std::find(list.begin(), list.end(), layer);
        if (old.get() == this && it != list.end() && static_cast<size_t>(it - list.begin()) < index) --index;
        if (it != list.end()) list.erase(it);
    }
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    keep->superlayer_ = ref<Layer>();
}

void Layer::insertSublayerBelow(const LayerRef& layer, const LayerRef& sibling) {
    auto it = std::find(sublayers_.begin(), sublayers_.end(), sibling);
    insertSublayer(layer, it == sublayers_.end() ? 0 : static_cast<size_t>(it - sublayers_.begin()));
}

void Layer::insertSublayerAbove(const LayerRef& layer, const LayerRef& sibling) {
    auto it = std::find(sublayers_.begin(), sublayers_.end(), sibling);
    insertSublayer(layer, it == sublayers_.end() ? sublayers_.size() : static_cast<size_t>(it - sublayers_.begin()) + 1);
}

void Layer::removeFromSuperlayer() {
    auto old = superlayer();
    superlayer_.reset();
    if (!old) return;
    auto self = ref<Layer>(); // the superlayer may hold the last reference
    std::erase(old->sublayers_, self);
}

void Layer::setNeedsDisplay() {
    if (needsDisplay_) return; // already waiting for the pass
    needsDisplay_ = true;
    Pending& p = pending();
    std::lock_guard lock(p.mutex);
    p.layers.push_back(ref<Layer>());
    if (p.scheduled) return;
    p.scheduled = true;
    ns::RunLoop::main().perform([] { displayPendingLayers(); });
}

void Layer::displayIfNeeded() {
    if (!needsDisplay_) return;
    needsDisplay_ = false;
    display();
}

void Layer::display() {
    if (auto d = delegate_.lock()) d->displayLayer(*this);
}

void Layer::displayPendingLayers() {
    std::vector<ns::Weak<Layer>> layers;
    {
        Pending& p = pending();
        std::lock_guard lock(p.mutex);
        layers.swap(p.layers);
        p.scheduled = false;
    }
    for (auto& weak : layers)
        if (auto layer = weak.lock()) layer->displayIfNeeded();
    Transaction::flush();
}

void Layer::addAnimation(const AnimationRef& animation, const std::string& key) {
    if (!animation) return;
    auto same = [&](auto& entry) { return !key.empty() && entry.first == key; };
    std::erase_if(animations_, same);
    animations_.emplace_back(key, animation);
    if (!animation->isRemovedOnCompletion()) return;
    double duration = animation->duration() > 0 ? animation->duration() : kDefaultAnimationDuration;
    ns::Weak<Layer> weak = ref<Layer>();
    ns::Weak<Animation> added = animation;
    ns::Clock::schedule(ns::Clock::nowTicks() + ns::TimeDelta::fromSeconds(duration), [weak, added] {
        ns::RunLoop::main().perform([weak, added] {
            auto layer = weak.lock();
            auto animation = added.lock();
            if (!layer || !animation) return;
            std::erase_if(layer->animations_, [&](auto& entry) { return entry.second == animation; });
        });
    });
}

AnimationRef Layer::animationForKey(const std::string& key) const {
    for (const auto& [k, animation] : animations_)
        if (k == key) return animation;
    return nullptr;
}

void Layer::removeAnimationForKey(const std::string& key) {
    std::erase_if(animations_, [&](auto& entry) { return entry.first == key; });
}

void Layer::renderInContext(cg::Context& context) const { renderLayer(context, *this); }

} // namespace ca
