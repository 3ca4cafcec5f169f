#include "os/graphics/ColorSpace.h"

namespace cg {

ColorSpaceRef ColorSpace::CreateDeviceRGB() {
    static const ColorSpaceRef shared = ns::make<ColorSpace>(ColorSpaceModel::RGB);
    return shared;
}

ColorSpaceRef ColorSpace::CreateDeviceGray() {
    static const ColorSpaceRef shared = ns::make<ColorSpace>(ColorSpaceModel::Monochrome);
    return shared;
}

} // namespace cg
