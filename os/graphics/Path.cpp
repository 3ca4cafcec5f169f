#include "os/graphics/Path.h"

#include <algorithm>
#include <cmath>

namespace cg {

void Path::MoveToPoint(Point p) { elements_.push_back({ElementType::MoveTo, {p}}); }

void Path::AddLineToPoint(Point p) { elements_.push_back({ElementType::LineTo, {p}}); }

void Path::AddQuadCurveToPoint(Point control, Point end) {
    elements_.push_back({ElementType::QuadCurveTo, {control, end}});
}

void Path::AddCurveToPoint(Point control1, Point control2, Point end) {
    elements_.push_back({ElementType::CurveTo, {control1, control2, end}});
}

void Path::AddArc(Point centre, double radius, double startAngle, double endAngle, bool clockwise) {
    Element e{ElementType::Arc, {centre}};
    e.radius = radius;
    e.startAngle = startAngle;
    e.endAngle = endAngle;
    e.clockwise = clockwise;
    elements_.push_back(e);
}

void Path::AddRect(Rect r) {
    r = RectStandardize(r);
    double x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    MoveToPoint({x0, y0});
    AddLineToPoint({x1, y0});
    AddLineToPoint({x1, y1});
    AddLineToPoint({x0, y1});
    CloseSubpath();
}

void Path::AddEllipseInRect(Rect r) {
    r = RectStandardize(r);
    // Four cubic quarter arcs; k places the control points of a circle's quarter.
    const double k = 0.5522847498307936;
    double cx = r.origin.x + r.size.width / 2, cy = r.origin.y + r.size.height / 2;
    double rx = r.size.width / 2, ry = r.size.height / 2;
    MoveToPoint({cx + rx, cy});
    AddCurveToPoint({cx + rx, cy + k * ry}, {cx + k * rx, cy + ry}, {cx, cy + ry});
    AddCurveToPoint({cx - k * rx, cy + ry}, {cx - rx, cy + k * ry}, {cx - rx, cy});
    AddCurveToPoint({cx - rx, cy - k * ry}, {cx - k * rx, cy - ry}, {cx, cy - ry});
    AddCurveToPoint({cx + k * rx, cy - ry}, {cx + rx, cy - k * ry}, {cx + rx, cy});
    CloseSubpath();
}

void Path::AddRoundedRect(Rect r, double radius) {
    r = RectStandardize(r);
    double x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    double rad = std::clamp(radius, 0.0, std::min(r.size.width, r.size.height) / 2);
    MoveToPoint({x0 + rad, y0});
    AddArc({x1 - rad, y0 + rad}, rad, -M_PI / 2, 0, false);
    AddArc({x1 - rad, y1 - rad}, rad, 0, M_PI / 2, false);
    AddArc({x0 + rad, y1 - rad}, rad, M_PI / 2, M_PI, false);
    AddArc({x0 + rad, y0 + rad}, rad, M_PI, 3 * M_PI / 2, false);
    CloseSubpath();
}

void Path::CloseSubpath() { elements_.push_back({ElementType::Close, {}}); }

void Path::AddPath(const Path& other) {
    elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
}

} // namespace cg
