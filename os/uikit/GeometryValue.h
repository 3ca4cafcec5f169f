#pragma once
// A rectangle, point or size boxed as an object, so it can travel in a notification's user info.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"
#include "os/graphics/Geometry.h"

#include <optional>

namespace ui {

class GeometryValue : public ns::Object {
public:
    static ns::Ref<GeometryValue> withRect(cg::Rect rect) { return ns::make<GeometryValue>(rect); }

    cg::Rect rectValue() const { return rect_; }
    cg::Point pointValue() const { return rect_.origin; }
    cg::Size sizeValue() const { return rect_.size; }

    // The rectangle boxed in a value, or nullopt when the value holds none.
    static std::optional<cg::Rect> rectFrom(const ns::Value& value) {
        auto box = value.objectAs<GeometryValue>();
        if (!box) return std::nullopt;
        return box->rect_;
    }

    explicit GeometryValue(cg::Rect rect) : rect_(rect) {}

private:
    cg::Rect rect_;
};

} // namespace ui
