#pragma once
// Device colour spaces (RGB and grey). Colour is not managed: every RGB space is the same space.

#include "os/foundation/Object.h"

#include <cstddef>

namespace cg {

class ColorSpace;
using ColorSpaceRef = ns::Ref<ColorSpace>;

enum class ColorSpaceModel : int { Monochrome = 0, RGB = 1 };

class ColorSpace : public ns::Object {
public:
    // Both answer one shared instance per model, made on first use and never released.
    static ColorSpaceRef CreateDeviceRGB();
    static ColorSpaceRef CreateDeviceGray();

    ColorSpaceModel model() const { return model_; }
    size_t numberOfComponents() const { return model_ == ColorSpaceModel::RGB ? 3 : 1; }

    explicit ColorSpace(ColorSpaceModel model) : model_(model) {}

private:
    ColorSpaceModel model_;
};

} // namespace cg
