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

// Draws an image upright into a rectangle of a y-down space.
void drawUpright(cg::Context& context, cg::Rect at, const cg::ImageRef& image) {
    context.SaveGState();
    context.TranslateCTM(at.origin.x, at.origin.y + at.size.height);
    context.ScaleCTM(1, -1);
    context.DrawImage(cg::RectMake(0, 0, at.size.width, at.size.height), image);
    context.RestoreGState();
}

void drawContents(cg::Context& context, const Layer& layer) {
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
    cg::Rect whole = placeContents(layer.contentsGravity(), layer.bounds(),
                                   {source.size.width / scale, source.size.height / scale});
    // The pixels actually there take their share of the whole rectangle.
    double fx = whole.size.width / source.size.width, fy = whole.size.height / source.size.height;
    cg::Rect at = cg::RectMake(whole.origin.x + (shown.origin.x - source.origin.x) * fx,
                               whole.origin.y + (shown.origin.y - source.origin.y) * fy, shown.size.width * fx,
                               shown.size.height * fy);
    cg::ImageRef piece = shown == cg::RectMake(0, 0, w, h) ? image : cg::Image::CreateWithImageInRect(image, shown);
    if (piece) drawUpright(context, at, piece);
}

void renderLayer(cg::Context& context, const Layer& layer);

// A sublayer's bounds space inside its superlayer's.
void enterSublayer(cg::Context& context, const Layer& sub) {
    cg::Rect b = sub.bounds();
    cg::Point p = sub.position(), a = sub.anchorPoint();
    context.TranslateCTM(p.x, p.y);
    context.ConcatCTM(sub.affineTransform());
    context.TranslateCTM(-(b.origin.x + a.x * b.size.width), -(b.origin.y + a.y * b.size.height));
}

void drawBody(cg::Context& context, const Layer& layer) {
    cg::Rect b = layer.bounds();
    if (auto color = layer.backgroundColor(); color && color->a > 0) {
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
    drawContents(context, layer);
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

void renderLayer(cg::Context& context, const Layer& layer) {
    if (layer.isHidden() || !(layer.opacity() > 0)) return;
    const LayerRef& mask = layer.mask();
    if (layer.opacity() >= 1 && !mask) {
        drawBody(context, layer);
        return;
    }
    // The layer and its sublayers fade (and are masked) as one picture.
    auto group = offscreenLike(context);
    if (!group) return;
    drawBody(*group, layer);
    if (mask) {
        auto maskContext = offscreenLike(context);
        if (!maskContext) return;
        maskContext->SaveGState();
        enterSublayer(*maskContext, *mask);
        renderLayer(*maskContext, *mask);
        maskContext->RestoreGState();
        composite(*group, maskContext->CreateImage(), 1, cg::BlendMode::DestinationIn);
    }
    composite(context, group->CreateImage(), std::min(layer.opacity(), 1.0), cg::BlendMode::Normal);
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
