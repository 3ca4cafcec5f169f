#include "os/uikit/BezierPath.h"

#include "os/uikit/Graphics.h"

#include <algorithm>
#include <cmath>

namespace ui {

BezierPathRef BezierPath::bezierPath() { return ns::make<BezierPath>(); }

BezierPathRef BezierPath::bezierPathWithRect(cg::Rect rect) {
    auto p = bezierPath();
    p->path_.AddRect(rect);
    return p;
}

BezierPathRef BezierPath::bezierPathWithOvalInRect(cg::Rect rect) {
    auto p = bezierPath();
    p->path_.AddEllipseInRect(rect);
    return p;
}

BezierPathRef BezierPath::bezierPathWithRoundedRect(cg::Rect rect, double cornerRadius) {
    return bezierPathWithRoundedRect(rect, RectCornerAllCorners, {cornerRadius, cornerRadius});
}

BezierPathRef BezierPath::bezierPathWithRoundedRect(cg::Rect rect, unsigned corners, cg::Size radii) {
    auto p = bezierPath();
    cg::Rect r = cg::RectStandardize(rect);
    double x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    double rad = std::clamp(radii.width, 0.0, std::min(r.size.width, r.size.height) / 2);
    auto radius = [&](unsigned corner) { return (corners & corner) ? rad : 0.0; };
    cg::Path& path = p->path_;
    // Top edge left to right, then round the rectangle with increasing angles (clockwise on screen).
    path.MoveToPoint({x0 + radius(RectCornerTopLeft), y0});
    path.AddLineToPoint({x1 - radius(RectCornerTopRight), y0});
    if (double q = radius(RectCornerTopRight)) path.AddArc({x1 - q, y0 + q}, q, -M_PI / 2, 0, false);
    path.AddLineToPoint({x1, y1 - radius(RectCornerBottomRight)});
    if (double q = radius(RectCornerBottomRight)) path.AddArc({x1 - q, y1 - q}, q, 0, M_PI / 2, false);
    path.AddLineToPoint({x0 + radius(RectCornerBottomLeft), y1});
    if (double q = radius(RectCornerBottomLeft)) path.AddArc({x0 + q, y1 - q}, q, M_PI / 2, M_PI, false);
    path.AddLineToPoint({x0, y0 + radius(RectCornerTopLeft)});
    if (double q = radius(RectCornerTopLeft)) path.AddArc({x0 + q, y0 + q}, q, M_PI, 3 * M_PI / 2, false);
    path.CloseSubpath();
    return p;
}

BezierPathRef BezierPath::bezierPathWithArcCenter(cg::Point centre, double radius, double startAngle, double endAngle,
                                                  bool clockwise) {
    auto p = bezierPath();
    p->addArcWithCenter(centre, radius, startAngle, endAngle, clockwise);
    return p;
}

BezierPathRef BezierPath::bezierPathWithCGPath(const cg::Path& path) {
    auto p = bezierPath();
    p->path_ = path;
    return p;
}

void BezierPath::moveToPoint(cg::Point p) { path_.MoveToPoint(p); }
void BezierPath::addLineToPoint(cg::Point p) { path_.AddLineToPoint(p); }
void BezierPath::addCurveToPoint(cg::Point end, cg::Point c1, cg::Point c2) { path_.AddCurveToPoint(c1, c2, end); }
void BezierPath::addQuadCurveToPoint(cg::Point end, cg::Point c) { path_.AddQuadCurveToPoint(c, end); }

void BezierPath::addArcWithCenter(cg::Point centre, double radius, double startAngle, double endAngle,
                                  bool clockwise) {
    // Clockwise on a y-down screen is the increasing angle, which the path calls counter-clockwise.
    path_.AddArc(centre, radius, startAngle, endAngle, !clockwise);
}

void BezierPath::closePath() { path_.CloseSubpath(); }
void BezierPath::appendPath(const BezierPath& other) { path_.AddPath(other.path_); }
void BezierPath::removeAllPoints() { path_ = cg::Path(); }

void BezierPath::fill() const { fillWithBlendMode(cg::BlendMode::Normal, 1); }

void BezierPath::fillWithBlendMode(cg::BlendMode mode, double alpha) const {
    cg::Context* c = GraphicsGetCurrentContext();
    if (!c) return;
    c->SaveGState();
    c->SetBlendMode(mode);
    c->SetAlpha(alpha);
    c->BeginPath();
    c->AddPath(path_);
    if (evenOdd_) c->EOFillPath();
    else c->FillPath();
    c->RestoreGState();
}

void BezierPath::stroke() const { strokeWithBlendMode(cg::BlendMode::Normal, 1); }

void BezierPath::strokeWithBlendMode(cg::BlendMode mode, double alpha) const {
    cg::Context* c = GraphicsGetCurrentContext();
    if (!c) return;
    c->SaveGState();
    c->SetBlendMode(mode);
    c->SetAlpha(alpha);
    c->SetLineWidth(lineWidth_);
    c->SetLineJoin(lineJoin_);
    c->SetLineCap(lineCap_);
    c->BeginPath();
    c->AddPath(path_);
    c->StrokePath();
    c->RestoreGState();
}

void BezierPath::addClip() const {
    cg::Context* c = GraphicsGetCurrentContext();
    if (!c) return;
    c->BeginPath();
    c->AddPath(path_);
    if (evenOdd_) c->EOClip();
    else c->Clip();
}

} // namespace ui

