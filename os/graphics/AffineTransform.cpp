#include "os/graphics/AffineTransform.h"

#include <algorithm>
#include <cmath>

namespace cg {

AffineTransform AffineTransformMakeTranslation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
AffineTransform AffineTransformMakeScale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

AffineTransform AffineTransformMakeRotation(double angle) {
    double s = std::sin(angle), c = std::cos(angle);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransformConcat(AffineTransform t1, AffineTransform t2) {
    return {t1.a * t2.a + t1.b * t2.c,
            t1.a * t2.b + t1.b * t2.d,
            t1.c * t2.a + t1.d * t2.c,
            t1.c * t2.b + t1.d * t2.d,
            t1.tx * t2.a + t1.ty * t2.c + t2.tx,
            t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

AffineTransform AffineTransformTranslate(AffineTransform t, double tx, double ty) {
    return AffineTransformConcat(AffineTransformMakeTranslation(tx, ty), t);
}

AffineTransform AffineTransformScale(AffineTransform t, double sx, double sy) {
    return AffineTransformConcat(AffineTransformMakeScale(sx, sy), t);
}

AffineTransform AffineTransformRotate(AffineTransform t, double angle) {
    return AffineTransformConcat(AffineTransformMakeRotation(angle), t);
}

AffineTransform AffineTransformInvert(AffineTransform t) {
    double det = t.a * t.d - t.b * t.c;
    if (det == 0 || !std::isfinite(det)) return t;
    AffineTransform r;
    r.a = t.d / det;
    r.b = -t.b / det;
    r.c = -t.c / det;
    r.d = t.a / det;
    r.tx = -(t.tx * r.a + t.ty * r.c);
    r.ty = -(t.tx * r.b + t.ty * r.d);
    return r;
}

bool AffineTransformIsIdentity(AffineTransform t) { return t == AffineTransformIdentity; }

Point PointApplyAffineTransform(Point p, AffineTransform t) {
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

Size SizeApplyAffineTransform(Size s, AffineTransform t) {
    return {t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}

Rect RectApplyAffineTransform(Rect r, AffineTransform t) {
    if (RectIsNull(r)) return r;
    r = RectStandardize(r);
    Point corners[4] = {PointApplyAffineTransform(r.origin, t),
                        PointApplyAffineTransform({r.origin.x + r.size.width, r.origin.y}, t),
                        PointApplyAffineTransform({r.origin.x, r.origin.y + r.size.height}, t),
                        PointApplyAffineTransform({r.origin.x + r.size.width, r.origin.y + r.size.height}, t)};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return RectMake(x0, y0, x1 - x0, y1 - y0);
}

} // namespace cg
