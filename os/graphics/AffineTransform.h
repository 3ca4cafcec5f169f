#pragma once
// 2-D affine transforms in the drawing system's row-vector convention:
// x' = a·x + c·y + tx, y' = b·x + d·y + ty. Translate/Rotate/Scale apply the new step first
// (t' = step · t), as the platform's functions do.

#include "os/graphics/Geometry.h"

namespace cg {

struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const AffineTransform&) const = default;
};

inline constexpr AffineTransform AffineTransformIdentity{};

constexpr AffineTransform AffineTransformMake(double a, double b, double c, double d, double tx, double ty) {
    return {a, b, c, d, tx, ty};
}
AffineTransform AffineTransformMakeTranslation(double tx, double ty);
AffineTransform AffineTransformMakeScale(double sx, double sy);
AffineTransform AffineTransformMakeRotation(double angle); // radians, counter-clockwise with y up

AffineTransform AffineTransformTranslate(AffineTransform t, double tx, double ty);
AffineTransform AffineTransformScale(AffineTransform t, double sx, double sy);
AffineTransform AffineTransformRotate(AffineTransform t, double angle);
// t1 then t2 (t1 · t2).
AffineTransform AffineTransformConcat(AffineTransform t1, AffineTransform t2);
// The inverse; a singular transform is returned unchanged, as the platform does.
AffineTransform AffineTransformInvert(AffineTransform t);
bool AffineTransformIsIdentity(AffineTransform t); // exact comparison
inline bool AffineTransformEqualToTransform(AffineTransform t1, AffineTransform t2) { return t1 == t2; }

Point PointApplyAffineTransform(Point p, AffineTransform t);
// Applies only the linear part (no translation).
Size SizeApplyAffineTransform(Size s, AffineTransform t);
// Bounding box of the transformed rectangle; null stays null.
Rect RectApplyAffineTransform(Rect r, AffineTransform t);

} // namespace cg
