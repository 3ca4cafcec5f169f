#include "os/uikit/View.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Format.h"
#include "os/uikit/Application.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/ViewAnimation.h"
#include "os/uikit/ViewController.h"
#include "os/uikit/ViewRendering.h"
#include "os/uikit/Window.h"

#include <algorithm>
#include <cstdio>

namespace ui {
namespace {

bool layoutPassScheduled = false;

// One pass for all visible windows on the next main-queue turn, however many views were marked.
void scheduleLayoutPass() {
    if (layoutPassScheduled) return;
    layoutPassScheduled = true;
    dispatch::async(dispatch::Queue::main(), [] {
        layoutPassScheduled = false;
        for (const auto& window : Application::shared().windows())
            if (!window->isHidden()) window->layoutIfNeeded();
    });
}

cg::Point pointToSuperview(const View& v, cg::Point p) {
    cg::Rect b = v.bounds();
    cg::Point anchor = v.layer()->anchorPoint();
    cg::Point local{p.x - b.origin.x - anchor.x * b.size.width, p.y - b.origin.y - anchor.y * b.size.height};
    local = cg::PointApplyAffineTransform(local, v.transform());
    cg::Point c = v.center();
    return {local.x + c.x, local.y + c.y};
}

cg::Point pointFromSuperview(const View& v, cg::Point p) {
    cg::Rect b = v.bounds();
    cg::Point anchor = v.layer()->anchorPoint();
    cg::Point c = v.center();
    cg::Point local{p.x - c.x, p.y - c.y};
    local = cg::PointApplyAffineTransform(local, cg::AffineTransformInvert(v.transform()));
    return {local.x + b.origin.x + anchor.x * b.size.width, local.y + b.origin.y + anchor.y * b.size.height};
}

} // namespace

View::View() : layer_(ca::Layer::layer()) {}

View::~View() = default;

void View::initWithFrame(cg::Rect frame) {
    layer_->setDelegate(ns::Weak<ca::LayerDelegate>(ref<View>()));
    setFrame(frame);
}

// --- Drawing ---

void View::drawRect(cg::Rect) { detail::noteBaseDrawRect(); }

void View::displayLayer(ca::Layer&) { displayViewContents(*this, 0); }

// --- Geometry ---

namespace {
// Changes the layer's animatable properties; inside an animation block the layer shows the
// change over the block's timing, outside one at once.
template <class Change> void changeShown(ca::Layer& layer, Change&& change) {
    auto timing = detail::runningAnimationTiming();
    ca::AnimatableValues model = layer.modelValues();
    ca::AnimatableValues shown = timing ? layer.presentationValues() : model;
    change();
    layer.noteChanges(model, shown, timing);
}
} // namespace

cg::Rect View::frame() const { return layer_->frame(); }

void View::setFrame(cg::Rect frame) {
    cg::Size old = bounds().size;
    changeShown(*layer_, [&] { layer_->setFrame(frame); });
    if (!(bounds().size == old)) setNeedsLayout();
}

void View::setBounds(cg::Rect bounds) {
    cg::Size old = this->bounds().size;
    changeShown(*layer_, [&] { layer_->setBounds(cg::RectStandardize(bounds)); });
    if (!(this->bounds().size == old)) setNeedsLayout();
}

void View::setCenter(cg::Point center) {
    changeShown(*layer_, [&] { layer_->setPosition(center); });
}

void View::setTransform(cg::AffineTransform transform) {
    changeShown(*layer_, [&] { layer_->setAffineTransform(transform); });
}

// --- Looks ---

ColorRef View::backgroundColor() const {
    auto c = layer_->backgroundColor();
    if (!c) return nullptr;
    if (backgroundColor_ && backgroundColor_->cgColor() == *c) return backgroundColor_;
    return Color::colorWithCGColor(*c);
}

void View::setBackgroundColor(const ColorRef& color) {
    backgroundColor_ = color;
    changeShown(*layer_, [&] {
        layer_->setBackgroundColor(color ? std::optional<cg::Color>(color->cgColor()) : std::nullopt);
    });
}

void View::setAlpha(double alpha) {
    changeShown(*layer_, [&] { layer_->setOpacity(alpha); });
}

void View::setHidden(bool hidden) { layer_->setHidden(hidden); }

ColorRef View::tintColor() const {
    for (const View* v = this; v; v = v->superview_.lock().get())
        if (v->tintColor_) return v->tintColor_;
    static ColorRef systemBlue = Color::colorWithRed(0, 122.0 / 255, 1, 1);
    return systemBlue;
}

// --- Hierarchy ---

ns::Ref<Window> View::window() const {
    const View* top = this;
    while (auto up = top->superview_.lock()) top = up.get();
    auto* w = dynamic_cast<const Window*>(top);
    return w ? std::const_pointer_cast<Window>(w->ref<Window>()) : nullptr;
}

bool View::isInVisibleWindow() const {
    auto w = window();
    return w && !w->isHidden();
}

void View::addSubview(const ViewRef& view) { insertSubviewAt(view, subviews_.size()); }

void View::insertSubview(const ViewRef& view, size_t index) { insertSubviewAt(view, index); }

void View::insertSubviewBelow(const ViewRef& view, const ViewRef& sibling) {
    auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
    insertSubviewAt(view, it == subviews_.end() ? subviews_.size() : static_cast<size_t>(it - subviews_.begin()));
}

void View::insertSubviewAbove(const ViewRef& view, const ViewRef& sibling) {
    auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
    insertSubviewAt(view, it == subviews_.end() ? subviews_.size() : static_cast<size_t>(it - subviews_.begin()) + 1);
}

void View::bringSubviewToFront(const ViewRef& view) {
    if (view && view->superview_.lock().get() == this) insertSubviewAt(view, subviews_.size());
}

void View::sendSubviewToBack(const ViewRef& view) {
    if (view && view->superview_.lock().get() == this) insertSubviewAt(view, 0);
}

void View::insertSubviewAt(const ViewRef& view, size_t index) {
    if (!view) return;
    for (const View* up = this; up; up = up->superview_.lock().get())
        if (up == view.get()) return;
    ViewRef keep = view;
    ViewRef self = ref<View>();
    auto placeLayer = [&](size_t at) {
        if (at + 1 < subviews_.size()) layer_->insertSublayerBelow(view->layer_, subviews_[at + 1]->layer_);
        else if (at > 0) layer_->insertSublayerAbove(view->layer_, subviews_[at - 1]->layer_);
        else layer_->addSublayer(view->layer_);
    };

    auto oldSuper = view->superview();
    if (oldSuper.get() == this) { // only the order changes
        auto it = std::find(subviews_.begin(), subviews_.end(), view);
        size_t pos = static_cast<size_t>(it - subviews_.begin());
        subviews_.erase(it);
        if (pos < index) --index;
        index = std::min(index, subviews_.size());
        subviews_.insert(subviews_.begin() + static_cast<long>(index), view);
        placeLayer(index);
        return;
    }

    auto oldWindow = view->window();
    auto newWindow = window();
    bool wasVisible = view->isInVisibleWindow();
    bool nowVisible = isInVisibleWindow();
    std::vector<ns::Ref<ViewController>> appearing, disappearing;
    if (!wasVisible && nowVisible) appearing = ViewController::settledIn(*view, false);
    if (wasVisible && !nowVisible) disappearing = ViewController::settledIn(*view, true);
    ViewController::sendWill(disappearing, false, false);
    ViewController::sendWill(appearing, true, false);

    view->willMoveToSuperview(self);
    if (oldWindow != newWindow) view->moveToWindow(oldWindow, newWindow, true);
    if (oldSuper) {
        oldSuper->willRemoveSubview(view);
        auto& list = oldSuper->subviews_;
        list.erase(std::remove(list.begin(), list.end(), view), list.end());
        oldSuper->setNeedsLayout();
    }
    view->layer_->removeFromSuperlayer();
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<long>(index), view);
    placeLayer(index);
    view->superview_ = self;
    if (oldWindow != newWindow) view->moveToWindow(oldWindow, newWindow, false);
    view->didMoveToSuperview();
    didAddSubview(view);
    view->setNeedsLayout();
    setNeedsLayout();

    if (!appearing.empty()) view->layoutIfNeeded();
    ViewController::sendDid(disappearing, false, false);
    ViewController::sendDid(appearing, true, false);
}

void View::removeFromSuperview() {
    auto sup = superview();
    if (!sup) return;
    ViewRef self = ref<View>();
    auto oldWindow = window();
    std::vector<ns::Ref<ViewController>> disappearing;
    if (isInVisibleWindow()) disappearing = ViewController::settledIn(*this, true);
    ViewController::sendWill(disappearing, false, false);

    // The first responder does not stay in a tree that leaves its window.
    if (oldWindow) {
        auto first = std::dynamic_pointer_cast<View>(Responder::currentFirstResponder());
        if (first && (first.get() == this || first->isDescendantOfView(this))) first->forceResignFirstResponder();
    }
    willMoveToSuperview(nullptr);
    if (oldWindow) moveToWindow(oldWindow, nullptr, true);
    sup->willRemoveSubview(self);
    auto& list = sup->subviews_;
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    layer_->removeFromSuperlayer();
    superview_.reset();
    if (oldWindow) moveToWindow(oldWindow, nullptr, false);
    didMoveToSuperview();
    sup->setNeedsLayout();
    ViewController::sendDid(disappearing, false, false);
}

void View::moveToWindow(const ns::Ref<Window>& oldWindow, const ns::Ref<Window>& newWindow, bool before) {
    if (before) willMoveToWindow(newWindow);
    else didMoveToWindow();
    auto copy = subviews_;
    for (const auto& s : copy) s->moveToWindow(oldWindow, newWindow, before);
}

ViewRef View::viewWithTag(long tag) {
    if (tag_ == tag) return ref<View>();
    for (const auto& s : subviews_)
        if (auto found = s->viewWithTag(tag)) return found;
    return nullptr;
}

bool View::isDescendantOfView(const View* view) const {
    for (const View* v = this; v; v = v->superview_.lock().get())
        if (v == view) return true;
    return false;
}

// --- Gestures and constraints ---

void View::addGestureRecognizer(const ns::Ref<GestureRecognizer>& recognizer) {
    if (!recognizer) return;
    if (auto old = recognizer->view(); old && old.get() != this) old->removeGestureRecognizer(recognizer);
    if (std::find(recognizers_.begin(), recognizers_.end(), recognizer) == recognizers_.end())
        recognizers_.push_back(recognizer);
    recognizer->setView(ref<View>());
}

void View::removeGestureRecognizer(const ns::Ref<GestureRecognizer>& recognizer) {
    auto it = std::find(recognizers_.begin(), recognizers_.end(), recognizer);
    if (it == recognizers_.end()) return;
    recognizers_.erase(it);
    recognizer->setView(nullptr);
}

void View::addConstraint(const ns::Ref<LayoutConstraint>& constraint) {
    if (constraint && std::find(constraints_.begin(), constraints_.end(), constraint) == constraints_.end())
        constraints_.push_back(constraint);
}

void View::removeConstraint(const ns::Ref<LayoutConstraint>& constraint) {
    constraints_.erase(std::remove(constraints_.begin(), constraints_.end(), constraint), constraints_.end());
}

// --- Layout ---

void View::setNeedsLayout() {
    needsLayout_ = true;
    scheduleLayoutPass();
}

void View::layoutIfNeeded() { layoutSubtree(); }

void View::layoutSubtree() {
    ViewRef keep = ref<View>();
    if (needsLayout_) {
        needsLayout_ = false;
        auto controller = viewController_.lock();
        if (controller) controller->viewWillLayoutSubviews();
        layoutSubviews();
        if (controller) controller->viewDidLayoutSubviews();
    }
    auto copy = subviews_;
    for (const auto& s : copy) s->layoutSubtree();
}

cg::Size View::sizeThatFits(cg::Size) const { return bounds().size; }

void View::sizeToFit() {
    cg::Rect f = frame();
    cg::Size s = sizeThatFits(bounds().size);
    setFrame({f.origin, s});
}

// --- Hit-testing and conversion ---

bool View::acceptsTouches() const { return userInteractionEnabled_ && !isHidden() && alpha() >= 0.01; }

bool View::pointInside(cg::Point point, const EventRef&) const { return cg::RectContainsPoint(bounds(), point); }

ViewRef View::hitTest(cg::Point point, const EventRef& event) {
    if (!acceptsTouches() || !pointInside(point, event)) return nullptr;
    auto copy = subviews_;
    for (auto it = copy.rbegin(); it != copy.rend(); ++it) {
        if (auto hit = (*it)->hitTest(pointFromSuperview(**it, point), event)) return hit;
    }
    return ref<View>();
}

cg::Point View::toRoot(cg::Point point, const View** root) const {
    const View* v = this;
    while (auto up = v->superview_.lock()) {
        point = pointToSuperview(*v, point);
        v = up.get();
    }
    *root = v;
    return point;
}

cg::Point View::fromRoot(cg::Point point, const View** root) const {
    std::vector<const View*> chain;
    for (const View* v = this; v; v = v->superview_.lock().get()) chain.push_back(v);
    *root = chain.back();
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) point = pointFromSuperview(**it, point);
    return point;
}

cg::Point View::convertPointToView(cg::Point point, const View* view) const {
    const View* ra = nullptr;
    cg::Point p = toRoot(point, &ra);
    if (!view) return p;
    const View* rb = nullptr;
    view->fromRoot({}, &rb);
    if (ra != rb) {
        // Through the screen: a window's frame places it there.
        if (dynamic_cast<const Window*>(ra)) p = pointToSuperview(*ra, p);
        if (dynamic_cast<const Window*>(rb)) p = pointFromSuperview(*rb, p);
    }
    return view->fromRoot(p, &rb);
}

cg::Point View::convertPointFromView(cg::Point point, const View* view) const {
    if (view) return view->convertPointToView(point, this);
    const View* root = nullptr;
    return fromRoot(point, &root);
}

cg::Rect View::convertRectToView(cg::Rect rect, const View* view) const {
    cg::Point a = convertPointToView(rect.origin, view);
    cg::Point b = convertPointToView({rect.origin.x + rect.size.width, rect.origin.y + rect.size.height}, view);
    cg::Point c = convertPointToView({rect.origin.x + rect.size.width, rect.origin.y}, view);
    cg::Point d = convertPointToView({rect.origin.x, rect.origin.y + rect.size.height}, view);
    double minX = std::min({a.x, b.x, c.x, d.x}), maxX = std::max({a.x, b.x, c.x, d.x});
    double minY = std::min({a.y, b.y, c.y, d.y}), maxY = std::max({a.y, b.y, c.y, d.y});
    return cg::RectMake(minX, minY, maxX - minX, maxY - minY);
}

cg::Rect View::convertRectFromView(cg::Rect rect, const View* view) const {
    if (view) return view->convertRectToView(rect, this);
    cg::Point a = convertPointFromView(rect.origin, nullptr);
    cg::Point b = convertPointFromView({rect.origin.x + rect.size.width, rect.origin.y + rect.size.height}, nullptr);
    return cg::RectStandardize(cg::RectMake(a.x, a.y, b.x - a.x, b.y - a.y));
}

// --- Editing and responder ---

bool View::endEditing(bool force) {
    auto first = std::dynamic_pointer_cast<View>(Responder::currentFirstResponder());
    if (!first || !first->isDescendantOfView(this)) return true;
    return force ? first->forceResignFirstResponder() : first->resignFirstResponder();
}

ResponderRef View::nextResponder() const {
    if (auto controller = viewController_.lock()) return controller;
    return superview_.lock();
}

std::string View::description() const {
    cg::Rect f = frame();
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return ns::format("<%@: %@; frame = (%@ %@; %@ %@)%@>", className(), std::string(address),
                      ns::numtext::shortest(f.origin.x), ns::numtext::shortest(f.origin.y),
                      ns::numtext::shortest(f.size.width), ns::numtext::shortest(f.size.height),
                      tag_ ? ns::format("; tag = %ld", tag_) : std::string());
}

} // namespace ui
