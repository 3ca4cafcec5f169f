#pragma once
// The layer behind every view: geometry, the looks a view carries (background, corner radius,
// border, shadow, mask, opacity), its contents bitmap, a tree of sublayers, needs-display with a
// display pass on the main run loop, and rendering of the tree into a bitmap context.
//
// Geometry is y-down in points, like the views that own layers. Gravity names place the contents
// as seen on screen ("top" is along the top edge).

#include "os/graphics/AffineTransform.h"
#include "os/graphics/Context.h"
#include "os/graphics/Geometry.h"
#include "os/graphics/Image.h"
#include "os/graphics/Path.h"
#include "os/quartz/Animation.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ca {

inline const std::string kGravityCenter = "center";
inline const std::string kGravityTop = "top";
inline const std::string kGravityBottom = "bottom";
inline const std::string kGravityLeft = "left";
inline const std::string kGravityRight = "right";
inline const std::string kGravityTopLeft = "topLeft";
inline const std::string kGravityTopRight = "topRight";
inline const std::string kGravityBottomLeft = "bottomLeft";
inline const std::string kGravityBottomRight = "bottomRight";
inline const std::string kGravityResize = "resize";
inline const std::string kGravityResizeAspect = "resizeAspect";
inline const std::string kGravityResizeAspectFill = "resizeAspectFill";

class Layer;
using LayerRef = ns::Ref<Layer>;

// The properties whose changes can be shown over time, as one set of values.
struct AnimatableValues {
    double opacity = 1;
    cg::Point position = cg::PointZero;
    cg::Rect bounds = cg::RectZero;
    cg::AffineTransform transform = cg::AffineTransformIdentity;
    std::optional<cg::Color> backgroundColor;
};

enum class AnimationCurve { Linear, EaseIn, EaseOut, EaseInOut };

// When a change is shown: from `begin` (seconds on ns::Clock) for `duration` seconds.
struct AnimationTiming {
    double begin = 0;
    double duration = 0;
    AnimationCurve curve = AnimationCurve::EaseInOut;
};

class LayerDelegate {
public:
    virtual ~LayerDelegate() = default;
    // The display pass calls it for a layer marked with setNeedsDisplay; it usually sets contents.
    virtual void displayLayer(Layer& /*layer*/) {}
};

class Layer : public ns::Object {
public:
    static LayerRef layer();

    // --- Geometry ---
    cg::Rect bounds() const { return bounds_; }
    void setBounds(cg::Rect bounds) { bounds_ = bounds; }
    cg::Point position() const { return position_; }
    void setPosition(cg::Point position) { position_ = position; }
    cg::Point anchorPoint() const { return anchorPoint_; } // unit coordinates, default (0.5, 0.5)
    void setAnchorPoint(cg::Point anchor) { anchorPoint_ = anchor; }
    cg::AffineTransform affineTransform() const { return transform_; }
    void setAffineTransform(cg::AffineTransform transform) { transform_ = transform; }
    // The bounds as the superlayer sees them (through position, anchor point and transform).
    // Setting it keeps the transform: it moves the position and, without a transform, resizes.
    cg::Rect frame() const;
    void setFrame(cg::Rect frame);

    // --- Contents ---
    const cg::ImageRef& contents() const { return contents_; }
    void setContents(cg::ImageRef contents) { contents_ = std::move(contents); }
    // The part of the contents shown, in unit coordinates from the top left; default (0, 0, 1, 1).
    cg::Rect contentsRect() const { return contentsRect_; }
    void setContentsRect(cg::Rect rect) { contentsRect_ = rect; }
    // Pixels of the contents per point, for gravities that keep the contents' size; default 1.
    double contentsScale() const { return contentsScale_; }
    void setContentsScale(double scale) { contentsScale_ = scale; }
    const std::string& contentsGravity() const { return gravity_; } // default resize
    void setContentsGravity(std::string gravity) { gravity_ = std::move(gravity); }

    // --- Looks ---
    std::optional<cg::Color> backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<cg::Color> color) { backgroundColor_ = color; }
    // Rounds the background and border; clips contents and sublayers only with masksToBounds.
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks) { masksToBounds_ = masks; }
    // Drawn inside the bounds, above contents and sublayers.
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width) { borderWidth_ = width; }
    cg::Color borderColor() const { return borderColor_; } // default opaque black
    void setBorderColor(cg::Color color) { borderColor_ = color; }
    // The shadow is the layer's shape (the shadow path, else the alpha of everything the layer
    // draws) moved by the offset and blurred by the radius, drawn under the layer; nothing shows
    // while the opacity is 0. Masking to bounds clips the shadow too.
    std::optional<cg::Color> shadowColor() const { return shadowColor_; } // default opaque black
    void setShadowColor(std::optional<cg::Color> color) { shadowColor_ = color; }
    double shadowOpacity() const { return shadowOpacity_; }
    void setShadowOpacity(double opacity) { shadowOpacity_ = opacity; }
    cg::Size shadowOffset() const { return shadowOffset_; } // default (0, -3)
    void setShadowOffset(cg::Size offset) { shadowOffset_ = offset; }
    double shadowRadius() const { return shadowRadius_; } // default 3
    void setShadowRadius(double radius) { shadowRadius_ = radius; }
    const std::optional<cg::Path>& shadowPath() const { return shadowPath_; }
    void setShadowPath(std::optional<cg::Path> path) { shadowPath_ = std::move(path); }
    double opacity() const { return opacity_; }
    void setOpacity(double opacity) { opacity_ = opacity; }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    // The mask's alpha, placed by its frame in this layer's bounds space, limits what shows.
    const LayerRef& mask() const { return mask_; }
    void setMask(LayerRef mask) { mask_ = std::move(mask); }

    // --- Tree ---
    LayerRef superlayer() const { return superlayer_.lock(); }
    const std::vector<LayerRef>& sublayers() const { return sublayers_; }
    // Adding takes the layer from its old superlayer first; a layer cannot hold itself or an
    // ancestor. Indexes past the end append.
    void addSublayer(const LayerRef& layer);
    void insertSublayer(const LayerRef& layer, size_t index);
    void insertSublayerBelow(const LayerRef& layer, const LayerRef& sibling);
    void insertSublayerAbove(const LayerRef& layer, const LayerRef& sibling);
    void removeFromSuperlayer();

    // --- Display ---
    ns::Weak<LayerDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<LayerDelegate> delegate) { delegate_ = std::move(delegate); }
    // Marks the layer; the main run loop's next display pass displays it.
    void setNeedsDisplay();
    bool needsDisplay() const { return needsDisplay_; }
    // Displays now when marked (and clears the mark).
    void displayIfNeeded();
    // Asks the delegate's displayLayer.
    virtual void display();
    // The display pass the main run loop runs after a layer was marked: every marked layer is
    // displayed, then the implicit transaction is committed. Callable directly (before capturing).
    static void displayPendingLayers();

    // --- Animations (records; see Animation.h) ---
    // Replaces an animation under the same key; removed after its duration unless told not to.
    void addAnimation(const AnimationRef& animation, const std::string& key);
    AnimationRef animationForKey(const std::string& key) const;
    void removeAnimationForKey(const std::string& key);

    // --- Presentation: what the screen shows at the clock's current time ---
    // A property changed with a timing shows its old value until the timing begins, then moves
    // to the new model value along the curve, then shows the model. Rendering draws these
    // values; every other reader (hit-testing, layout) sees the model.
    AnimatableValues modelValues() const;
    AnimatableValues presentationValues() const;
    // Called after a change: each property whose model differs from `modelBefore` moves from
    // `shownBefore` over `timing` (replacing its running animation), or, without a timing, shows
    // the new value at once.
    void noteChanges(const AnimatableValues& modelBefore, const AnimatableValues& shownBefore,
                     const std::optional<AnimationTiming>& timing);

    // --- Rendering ---
    // Draws the layer and its sublayers (presentation values) in the layer's own bounds space:
    // the context's CTM must map that space (y-down) to the device. Hidden layers and opacity 0
    // draw nothing.
    void renderInContext(cg::Context& context) const;

    Layer() = default;

private:
    cg::Rect bounds_ = cg::RectZero;
    cg::Point position_ = cg::PointZero;
    cg::Point anchorPoint_{0.5, 0.5};
    cg::AffineTransform transform_ = cg::AffineTransformIdentity;
    cg::ImageRef contents_;
    cg::Rect contentsRect_ = cg::UnitRect;
    double contentsScale_ = 1;
    std::string gravity_ = kGravityResize;
    std::optional<cg::Color> backgroundColor_;
    double cornerRadius_ = 0;
    bool masksToBounds_ = false;
    double borderWidth_ = 0;
    cg::Color borderColor_{0, 0, 0, 1};
    std::optional<cg::Color> shadowColor_ = cg::Color{0, 0, 0, 1};
    double shadowOpacity_ = 0;
    cg::Size shadowOffset_{0, -3};
    double shadowRadius_ = 3;
    std::optional<cg::Path> shadowPath_;
    double opacity_ = 1;
    bool hidden_ = false;
    LayerRef mask_;
    ns::Weak<Layer> superlayer_;
    std::vector<LayerRef> sublayers_;
    ns::Weak<LayerDelegate> delegate_;
    bool needsDisplay_ = false;
    std::vector<std::pair<std::string, AnimationRef>> animations_;
    template <class T> struct Moving {
        T from;
        T to;
        AnimationTiming timing;
    };
    std::optional<Moving<double>> opacityMove_;
    std::optional<Moving<cg::Point>> positionMove_;
    std::optional<Moving<cg::Rect>> boundsMove_;
    std::optional<Moving<cg::AffineTransform>> transformMove_;
    std::optional<Moving<std::optional<cg::Color>>> backgroundMove_;
};

} // namespace ca
