#include "widgets/UIImage+VXColor.h"

#include "os/foundation/Bundle.h"
#include "os/foundation/Format.h"
#include "os/uikit/Graphics.h"

namespace VXColor {

ui::ImageRef imageWithColor(const ui::ColorRef& color) {
    if (!color) return nullptr;
    cg::Rect rect = cg::RectMake(0, 0, 1, 1);
    ui::GraphicsBeginImageContext(rect.size);
    color->setFill();
    ui::RectFill(rect);
    ui::ImageRef image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    return image;
}

ui::ImageRef sdkImageNamed(const std::string& name) {
    auto main = ns::Bundle::main();
    if (main && main->pathForResource(SdkBundleName, "bundle"))
        return ui::Image::imageNamed(ns::format("%@.bundle/%@", SdkBundleName, name));
    return ui::Image::imageNamed(name);
}

} // namespace VXColor
