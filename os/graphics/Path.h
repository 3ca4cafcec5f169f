#pragma once
// A vector path (a value): subpaths of lines, curves and arcs in the coordinates of whoever draws it.

#include "os/graphics/Geometry.h"

#include <vector>

namespace cg {

class Path {
public:
    enum class ElementType { MoveTo, LineTo, QuadCurveTo, CurveTo, Arc, Close };
    struct Element {
        ElementType type;
        Point points[3];                     // end point last; Arc: points[0] = centre
        double radius = 0, startAngle = 0, endAngle = 0;
        bool clockwise = false;
    };

    void MoveToPoint(Point p);
    void AddLineToPoint(Point p);
    void AddQuadCurveToPoint(Point control, Point end);
    void AddCurveToPoint(Point control1, Point control2, Point end);
    // Arc around centre from startAngle to endAngle (radians, counter-clockwise in a y-up space);
    // clockwise = true goes the other way. A line joins the current point to the arc's start.
    void AddArc(Point centre, double radius, double startAngle, double endAngle, bool clockwise);
    void AddRect(Rect r);
    void AddEllipseInRect(Rect r);
    // Rectangle with circular corners of the radius (clamped to half the smaller side).
    void AddRoundedRect(Rect r, double radius);
    void CloseSubpath();
    void AddPath(const Path& other);

    bool IsEmpty() const { return elements_.empty(); }
    const std::vector<Element>& elements() const { return elements_; }

private:
    std::vector<Element> elements_;
};

} // namespace cg
