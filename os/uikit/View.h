#pragma once
// A rectangle on screen: geometry (frame from centre, bounds and transform), a tree of strong
// subviews under a weak superview, looks kept in its ca::Layer, hit-testing and conversion, the
// layout pass, block animations and the hooks of moving between superviews and windows.
//
// Defaults follow the platform: opaque YES, alpha 1, clipsToBounds NO, interaction on (off for
// labels and image views). Views are made two-phase: View::create<T>(frame) constructs T and then
// runs its virtual initWithFrame.

#include "os/foundation/Object.h"
#include "os/graphics/AffineTransform.h"
#include "os/graphics/Geometry.h"
#include "os/quartz/Layer.h"
#include "os/uikit/Color.h"
#include "os/uikit/Geometry.h"
#include "os/uikit/Responder.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class View;
class Window;
class ViewController;
class GestureRecognizer;
class LayoutConstraint;
using ViewRef = ns::Ref<View>;

enum class ContentMode : int {
    ScaleToFill = 0, ScaleAspectFit = 1, ScaleAspectFill = 2, Redraw = 3, Center = 4, Top = 5, Bottom = 6,
    Left = 7, Right = 8, TopLeft = 9, TopRight = 10, BottomLeft = 11, BottomRight = 12,
};

enum AnimationOptions : unsigned {
    AnimationOptionNone = 0,
    AnimationOptionLayoutSubviews = 1u << 0,
    AnimationOptionAllowUserInteraction = 1u << 1, // 2
    AnimationOptionBeginFromCurrentState = 1u << 2,
    AnimationOptionRepeat = 1u << 3,
    AnimationOptionAutoreverse = 1u << 4,
    AnimationOptionCurveEaseInOut = 0u << 16,
    AnimationOptionCurveEaseIn = 1u << 16,
    AnimationOptionCurveEaseOut = 2u << 16,
    AnimationOptionCurveLinear = 3u << 16,
    AnimationOptionTransitionCrossDissolve = 5u << 20,
};

class View : public Responder, public ca::LayerDelegate {
public:
    using Animations = std::function<void()>;
    using Completion = std::function<void(bool finished)>;

    template <class T = View> static ns::Ref<T> create(cg::Rect frame = cg::RectZero) {
        auto view = ns::make<T>();
        view->initWithFrame(frame);
        return view;
    }
    // The init step; subclasses call the base first.
    virtual void initWithFrame(cg::Rect frame);

    // --- Geometry (frame is derived from centre, bounds size and transform) ---
    cg::Rect frame() const;
    virtual void setFrame(cg::Rect frame);
    cg::Rect bounds() const { return layer_->bounds(); }
    virtual void setBounds(cg::Rect bounds);
    cg::Point center() const { return layer_->position(); }
    void setCenter(cg::Point center);
    cg::AffineTransform transform() const { return layer_->affineTransform(); }
    void setTransform(cg::AffineTransform transform);

    // --- Looks ---
    ColorRef backgroundColor() const;
    virtual void setBackgroundColor(const ColorRef& color);
    double alpha() const { return layer_->opacity(); }
    void setAlpha(double alpha);
    bool isHidden() const { return layer_->isHidden(); }
    virtual void setHidden(bool hidden);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    bool clipsToBounds() const { return layer_->masksToBounds(); }
    void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode) { contentMode_ = mode; }
    // The own tint colour, else the superview's, else the system blue.
    ColorRef tintColor() const;
    void setTintColor(const ColorRef& color) { tintColor_ = color; }
    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    const std::string& accessibilityIdentifier() const { return accessibilityIdentifier_; }
    void setAccessibilityIdentifier(std::string id) { accessibilityIdentifier_ = std::move(id); }
    // The layer: corner radius, border, shadow, mask; background colour and alpha are shared.
    const ca::LayerRef& layer() const { return layer_; }

    // --- Hierarchy ---
    ViewRef superview() const { return superview_.lock(); }
    const std::vector<ViewRef>& subviews() const { return subviews_; }
    // The window at the root of the tree, or null.
    ns::Ref<Window> window() const;
    // Adding puts the view in front; adding a subview again brings it to the front. A view
    // cannot hold itself or an ancestor (ignored).
    void addSubview(const ViewRef& view);
    void insertSubview(const ViewRef& view, size_t index);
    void insertSubviewBelow(const ViewRef& view, const ViewRef& sibling);
    void insertSubviewAbove(const ViewRef& view, const ViewRef& sibling);
    void bringSubviewToFront(const ViewRef& view);
    void sendSubviewToBack(const ViewRef& view);
    void removeFromSuperview();
    // Depth first, the view itself included.
    ViewRef viewWithTag(long tag);
    bool isDescendantOfView(const View* view) const;
    // The controller whose root view this is, or null.
    ns::Ref<ViewController> viewController() const { return viewController_.lock(); }

    // --- Gestures and constraints (held strongly) ---
    void addGestureRecognizer(const ns::Ref<GestureRecognizer>& recognizer);
    void removeGestureRecognizer(const ns::Ref<GestureRecognizer>& recognizer);
    const std::vector<ns::Ref<GestureRecognizer>>& gestureRecognizers() const { return recognizers_; }
    void addConstraint(const ns::Ref<LayoutConstraint>& constraint);
    void removeConstraint(const ns::Ref<LayoutConstraint>& constraint);
    const std::vector<ns::Ref<LayoutConstraint>>& constraints() const { return constraints_; }

    // --- Layout ---
    // Subclasses place their subviews here; the default does nothing.
    virtual void layoutSubviews() {}
    // Marks the view; a layout pass of the visible windows runs on the next main-queue turn.
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    // Lays out the marked views of this subtree now, top down.
    void layoutIfNeeded();
    virtual cg::Size sizeThatFits(cg::Size size) const;
    void sizeToFit();
    // The natural size; -1 means none in that direction.
    virtual cg::Size intrinsicContentSize() const { return {-1, -1}; }
    virtual void updateConstraints() {}
    virtual void setNeedsDisplay() { layer_->setNeedsDisplay(); }

    // --- Drawing (the view is its layer's delegate) ---
    // The view's own picture, drawn into the current graphics context (y-down, in points); it
    // becomes the layer's contents. The base draws nothing (overrides do not call it), and a view
    // whose class does not override it keeps the contents its layer was given.
    virtual void drawRect(cg::Rect rect);
    // The display pass after setNeedsDisplay, for views in a window: labels, fields, text views,
    // image views, spinners and drawRect overrides redraw their contents (see ViewRendering.h).
    void displayLayer(ca::Layer& layer) override;

    // --- Hit-testing and conversion ---
    // The deepest visible, interactive view under the point (own coordinates), front to back.
    // Hidden views, views with interaction off and views with alpha below 0.01 are skipped.
    virtual ViewRef hitTest(cg::Point point, const EventRef& event);
    virtual bool pointInside(cg::Point point, const EventRef& event) const;
    // Whether hit-testing may stop at this view (interaction on, shown, alpha at least 0.01).
    virtual bool acceptsTouches() const;
    // Between this view and another (null: the window, or the root of the tree).
    cg::Point convertPointToView(cg::Point point, const View* view) const;
    cg::Point convertPointFromView(cg::Point point, const View* view) const;
    cg::Rect convertRectToView(cg::Rect rect, const View* view) const;
    cg::Rect convertRectFromView(cg::Rect rect, const View* view) const;

    // --- Editing ---
    // Resigns the first responder when it is this view or inside it; force ignores refusals.
    bool endEditing(bool force);

    // --- Hooks ---
    virtual void awakeFromNib() {}
    virtual void willMoveToSuperview(const ViewRef& /*newSuperview*/) {}
    virtual void didMoveToSuperview() {}
    virtual void willMoveToWindow(const ns::Ref<Window>& /*newWindow*/) {}
    virtual void didMoveToWindow() {}
    virtual void didAddSubview(const ViewRef& /*subview*/) {}
    virtual void willRemoveSubview(const ViewRef& /*subview*/) {}

    // --- Responder ---
    ResponderRef nextResponder() const override;
    ns::Ref<Window> responderWindow() const override { return window(); }

    // --- Block animations: model values change at once; the completion runs on the main
    // queue when delay + duration have passed on the clock (next main-queue turn for 0). Changes
    // of alpha, frame, bounds, centre, transform and background colour inside a block with a
    // duration are drawn by captures in motion: the old value until the delay has passed, then
    // along the block's curve to the model value. Hit-testing and layout read the model. ---
    static void animate(double duration, Animations animations, Completion completion = {});
    static void animate(double duration, double delay, unsigned options, Animations animations,
                        Completion completion = {});
    static void animateSpring(double duration, double delay, double damping, double velocity, unsigned options,
                              Animations animations, Completion completion = {});
    static void performWithoutAnimation(const Animations& actions);
    static bool areAnimationsEnabled();
    // Begin/commit blocks: changes between them are one animation of the set duration.
    static void beginAnimations();
    static void setAnimationDuration(double duration);
    static void setAnimationDelay(double delay);
    static void setAnimationCurve(unsigned curveOption);
    static void commitAnimations();
    // Inside an animation block: its duration (0 outside one).
    static double currentAnimationDuration();

    std::string description() const override;

    View();
    ~View() override;

protected:
    // Subclasses that are not interactive by default (labels, image views) turn it off in init.
    bool userInteractionEnabled_ = true;

private:
    friend class ViewController;
    friend class Window;
    void insertSubviewAt(const ViewRef& view, size_t index);
    void layoutSubtree();
    bool isInVisibleWindow() const;
    // Point in this view's coordinates <-> the root's coordinates (screen for windows).
    cg::Point toRoot(cg::Point point, const View** root) const;
    cg::Point fromRoot(cg::Point point, const View** root) const;
    void setViewController(const ns::Ref<ViewController>& controller) { viewController_ = controller; }
    void moveToWindow(const ns::Ref<Window>& oldWindow, const ns::Ref<Window>& newWindow, bool before);

    ca::LayerRef layer_;
    ns::Weak<View> superview_;
    std::vector<ViewRef> subviews_;
    ns::Weak<ViewController> viewController_;
    ColorRef backgroundColor_;
    ColorRef tintColor_;
    bool opaque_ = true;
    ContentMode contentMode_ = ContentMode::ScaleToFill;
    long tag_ = 0;
    std::string accessibilityIdentifier_;
    bool needsLayout_ = true;
    std::vector<ns::Ref<GestureRecognizer>> recognizers_;
    std::vector<ns::Ref<LayoutConstraint>> constraints_;
};

} // namespace ui
