#include "image/UIImageView+VXExtension.h"

#include "foundation/URLEncode.h"
#include "image/UIImageView+VXWebImage.h"
#include "os/foundation/URL.h"

namespace VXExtension {

namespace {

// An image of the SDK's resource bundle (the main bundle when there is none).
ui::ImageRef sdkImageNamed(const std::string& name) { return ui::Image::imageNamed(name, URLEncode::getSdkBundle()); }

} // namespace

void setGameIconWithUrlStr(const ui::ImageViewRef& imageView, const std::optional<std::string>& urlString,
                           const std::string& placeIcon) {
    if (!imageView) return;
    if (URLEncode::isURL(urlString)) {
        VXWebImage::VX_setImageWithURL(imageView, ns::URL::fromString(*urlString),
                                       placeIcon.empty() ? nullptr : sdkImageNamed(placeIcon));
        return;
    }
    if (!placeIcon.empty()) imageView->setImage(sdkImageNamed(placeIcon));
}

} // namespace VXExtension
