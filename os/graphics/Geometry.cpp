#include "os/graphics/Geometry.h"

#include <algorithm>

namespace cg {

Rect RectStandardize(Rect r) {
    if (RectIsNull(r)) return r;
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

double RectGetMinX(Rect r) { return RectStandardize(r).origin.x; }
double RectGetMinY(Rect r) { return RectStandardize(r).origin.y; }
double RectGetMaxX(Rect r) { r = RectStandardize(r); return r.origin.x + r.size.width; }
double RectGetMaxY(Rect r) { r = RectStandardize(r); return r.origin.y + r.size.height; }
double RectGetMidX(Rect r) { r = RectStandardize(r); return r.origin.x + r.size.width / 2; }
double RectGetMidY(Rect r) { r = RectStandardize(r); return r.origin.y + r.size.height / 2; }
double RectGetWidth(Rect r) { return std::fabs(r.size.width); }
double RectGetHeight(Rect r) { return std::fabs(r.size.height); }

bool RectIsNull(Rect r) { return std::isinf(r.origin.x) || std::isinf(r.origin.y); }

bool RectIsInfinite(Rect r) { return r == RectInfinite; }

bool RectIsEmpty(Rect r) { return RectIsNull(r) || r.size.width == 0 || r.size.height == 0; }

Rect RectIntegral(Rect r) {
    if (RectIsNull(r) || RectIsInfinite(r)) return r;
    r = RectStandardize(r);
    double x0 = std::floor(r.origin.x), y0 = std::floor(r.origin.y);
    double x1 = std::ceil(r.origin.x + r.size.width), y1 = std::ceil(r.origin.y + r.size.height);
    return RectMake(x0, y0, x1 - x0, y1 - y0);
}

Rect RectIntersection(Rect a, Rect b) {
    if (RectIsNull(a) || RectIsNull(b)) return RectNull;
    a = RectStandardize(a);
    b = RectStandardize(b);
    double x0 = std::max(a.origin.x, b.origin.x), y0 = std::max(a.origin.y, b.origin.y);
    double x1 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
    double y1 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
    if (x1 < x0 || y1 < y0) return RectNull;
    return RectMake(x0, y0, x1 - x0, y1 - y0);
}

Rect RectUnion(Rect a, Rect b) {
    if (RectIsNull(a)) return RectStandardize(b);
    if (RectIsNull(b)) return RectStandardize(a);
    a = RectStandardize(a);
    b = RectStandardize(b);
    double x0 = std::min(a.origin.x, b.origin.x), y0 = std::min(a.origin.y, b.origin.y);
    double x1 = std::max(a.origin.x + a.size.width, b.origin.x + b.size.width);
    double y1 = std::max(a.origin.y + a.size.height, b.origin.y + b.size.height);
    return RectMake(x0, y0, x1 - x0, y1 - y0);
}

Rect RectInset(Rect r, double dx, double dy) {
    if (RectIsNull(r)) return r;
    r = RectStandardize(r);
    r.origin.x += dx;
    r.origin.y += dy;
    r.size.width -= 2 * dx;
    r.size.height -= 2 * dy;
    if (r.size.width < 0 || r.size.height < 0) return RectNull;
    return r;
}

Rect RectOffset(Rect r, double dx, double dy) {
    if (RectIsNull(r)) return r;
    r = RectStandardize(r);
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}

bool RectContainsPoint(Rect r, Point p) {
    if (RectIsNull(r)) return false;
    r = RectStandardize(r);
    return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y &&
           p.y < r.origin.y + r.size.height;
}

bool RectContainsRect(Rect outer, Rect inner) {
    if (RectIsNull(inner)) return true;
    if (RectIsNull(outer)) return false;
    return RectEqualToRect(RectUnion(outer, inner), outer);
}

bool RectIntersectsRect(Rect a, Rect b) {
    Rect i = RectIntersection(a, b);
    return !RectIsNull(i) && !RectIsEmpty(i);
}

bool RectEqualToRect(Rect a, Rect b) {
    if (RectIsNull(a) || RectIsNull(b)) return RectIsNull(a) && RectIsNull(b);
    return RectStandardize(a) == RectStandardize(b);
}

} // namespace cg
