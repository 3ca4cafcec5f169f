#pragma once
// One-colour images and the images of the SDK's resource bundle.

#include "os/uikit/Color.h"
#include "os/uikit/Image.h"

#include <string>

namespace VXColor {

// The name of the SDK's resource bundle inside the main bundle.
inline constexpr const char* SdkBundleName = "VOZUV";

// A 1 x 1 point image (scale 1) filled with the colour; none for no colour.
ui::ImageRef imageWithColor(const ui::ColorRef& color);
// The image of that name in "VOZUV.bundle" when the main bundle has it, else in the main bundle
// itself; none when there is no such image.
ui::ImageRef sdkImageNamed(const std::string& name);

} // namespace VXColor
