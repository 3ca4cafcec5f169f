#pragma once
// A path with its drawing attributes (line width, join, cap, fill rule), drawn into the current
// graphics context of the UI layer.

#include "os/foundation/Object.h"
#include "os/graphics/Context.h"
#include "os/graphics/Path.h"

namespace ui {

class BezierPath;
using BezierPathRef = ns::Ref<BezierPath>;

// Corners of a rectangle in the UI layer's y-down space ("top" is the minimum y).
enum RectCorner : unsigned {
    RectCornerTopLeft = 1,
    RectCornerTopRight = 2,
    RectCornerBottomLeft = 4,
    RectCornerBottomRight = 8,
    RectCornerAllCorners = ~0u,
};

class BezierPath : public ns::Object {
public:
    static BezierPathRef bezierPath();
    static BezierPathRef bezierPathWithRect(cg::Rect rect);
    static BezierPathRef bezierPathWithOvalInRect(cg::Rect rect);
    static BezierPathRef bezierPathWithRoundedRect(cg::Rect rect, double cornerRadius);
    // Circular corners of radius radii.width (radii.height is not used) on the corners in the mask,
    // clamped to half the smaller side; the other corners stay square.
    static BezierPathRef bezierPathWithRoundedRect(cg::Rect rect, unsigned corners, cg::Size radii);
    // clockwise as seen in the y-down space (increasing angle).
    static BezierPathRef bezierPathWithArcCenter(cg::Point centre, double radius, double startAngle, double endAngle,
                                                 bool clockwise);
    static BezierPathRef bezierPathWithCGPath(const cg::Path& path);

    void moveToPoint(cg::Point p);
    void addLineToPoint(cg::Point p);
    void addCurveToPoint(cg::Point end, cg::Point control1, cg::Point control2);
    void addQuadCurveToPoint(cg::Point end, cg::Point control);
    void addArcWithCenter(cg::Point centre, double radius, double startAngle, double endAngle, bool clockwise);
    void closePath();
    void appendPath(const BezierPath& other);
    void removeAllPoints();
    bool isEmpty() const { return path_.IsEmpty(); }
    const cg::Path& CGPath() const { return path_; }

    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double width) { lineWidth_ = width; }
    cg::LineJoin lineJoinStyle() const { return lineJoin_; }
    void setLineJoinStyle(cg::LineJoin join) { lineJoin_ = join; }
    cg::LineCap lineCapStyle() const { return lineCap_; }
    void setLineCapStyle(cg::LineCap cap) { lineCap_ = cap; }
    bool usesEvenOddFillRule() const { return evenOdd_; }
    void setUsesEvenOddFillRule(bool on) { evenOdd_ = on; }

    // With the current context's fill or stroke colour; nothing without a current context.
    void fill() const;
    void fillWithBlendMode(cg::BlendMode mode, double alpha) const;
    void stroke() const;
    void strokeWithBlendMode(cg::BlendMode mode, double alpha) const;
    // Intersects the current context's clip with the path.
    void addClip() const;

private:
    cg::Path path_;
    double lineWidth_ = 1;
    cg::LineJoin lineJoin_ = cg::LineJoin::Miter;
    cg::LineCap lineCap_ = cg::LineCap::Butt;
    bool evenOdd_ = false;
};

} // namespace ui
