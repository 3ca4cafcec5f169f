#pragma once
// Points, sizes and rectangles with the drawing system's rules (null and infinite rectangles,
// standardised negative sizes, integral, intersection and union).

#include <cfloat>
#include <cmath>
#include <limits>

namespace cg {

struct Point {
    double x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;
    bool operator==(const Rect&) const = default; // exact field comparison; see RectEqualToRect
};

inline constexpr Point PointZero{};
inline constexpr Size SizeZero{};
inline constexpr Rect RectZero{};
// The null rectangle: origin at +infinity, no size; what a failed intersection answers.
inline constexpr Rect RectNull{{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()}, {0, 0}};
inline constexpr Rect RectInfinite{{-DBL_MAX / 2, -DBL_MAX / 2}, {DBL_MAX, DBL_MAX}};
inline constexpr Rect UnitRect{{0, 0}, {1, 1}};

constexpr Point PointMake(double x, double y) { return {x, y}; }
constexpr Size SizeMake(double w, double h) { return {w, h}; }
constexpr Rect RectMake(double x, double y, double w, double h) { return {{x, y}, {w, h}}; }

// Getters read the standardised rectangle (negative sizes count from the far edge).
double RectGetMinX(Rect r);
double RectGetMidX(Rect r);
double RectGetMaxX(Rect r);
double RectGetMinY(Rect r);
double RectGetMidY(Rect r);
double RectGetMaxY(Rect r);
double RectGetWidth(Rect r);
double RectGetHeight(Rect r);

bool RectIsNull(Rect r);
bool RectIsInfinite(Rect r);
// Null, or no width or no height.
bool RectIsEmpty(Rect r);

Rect RectStandardize(Rect r);
// Smallest rectangle with whole-number edges that contains r; null stays null.
Rect RectIntegral(Rect r);
// Null when the rectangles do not meet; touching edges give a zero-sized rectangle.
Rect RectIntersection(Rect a, Rect b);
// Smallest rectangle holding both; a null side is ignored.
Rect RectUnion(Rect a, Rect b);
// Shrinks each side by dx, dy (negative grows); null when nothing is left.
Rect RectInset(Rect r, double dx, double dy);
Rect RectOffset(Rect r, double dx, double dy);

// Half-open: the min edges belong to the rectangle, the max edges do not.
bool RectContainsPoint(Rect r, Point p);
bool RectContainsRect(Rect outer, Rect inner);
bool RectIntersectsRect(Rect a, Rect b);
// Compares standardised rectangles; two null rectangles are equal.
bool RectEqualToRect(Rect a, Rect b);
inline bool PointEqualToPoint(Point a, Point b) { return a == b; }
inline bool SizeEqualToSize(Size a, Size b) { return a == b; }

} // namespace cg
