#pragma once
// The one image-view helper the SDK screens call: a remote icon with a resource placeholder.

#include "os/uikit/ImageView.h"

#include <optional>
#include <string>

namespace VXExtension {

// A URL text loads into the view with the SDK bundle's image of that name as placeholder (none for
// an empty name). Other text shows the SDK bundle's image of that name; an empty name changes nothing.
void setGameIconWithUrlStr(const ui::ImageViewRef& imageView, const std::optional<std::string>& urlString,
                           const std::string& placeIcon);

} // namespace VXExtension
