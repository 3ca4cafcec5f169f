#include "widgets/UIView+Extension.h"

#include "os/uikit/BezierPath.h"
#include "os/uikit/Graphics.h"

namespace Extension {

double width(const ui::ViewRef& view) { return view ? view->frame().size.width : 0; }
double height(const ui::ViewRef& view) { return view ? view->frame().size.height : 0; }
double y(const ui::ViewRef& view) { return view ? view->frame().origin.y : 0; }
double bottom(const ui::ViewRef& view) { return view ? cg::RectGetMaxY(view->frame()) : 0; }
double centerX(const ui::ViewRef& view) { return view ? view->center().x : 0; }

void setX(const ui::ViewRef& view, double x) {
    if (!view) return;
    cg::Rect f = view->frame();
    f.origin.x = x;
    view->setFrame(f);
}

void setY(const ui::ViewRef& view, double y) {
    if (!view) return;
    cg::Rect f = view->frame();
    f.origin.y = y;
    view->setFrame(f);
}

void setWidth(const ui::ViewRef& view, double width) {
    if (!view) return;
    cg::Rect f = view->frame();
    f.size.width = width;
    view->setFrame(f);
}

void setHeight(const ui::ViewRef& view, double height) {
    if (!view) return;
    cg::Rect f = view->frame();
    f.size.height = height;
    view->setFrame(f);
}

void setCenterX(const ui::ViewRef& view, double centerX) {
    if (!view) return;
    view->setCenter({centerX, view->center().y});
}

void setCenterY(const ui::ViewRef& view, double centerY) {
    if (!view) return;
    view->setCenter({view->center().x, centerY});
}

void setShadowWithCornerRadius(const ui::ViewRef& view, double cornerRadius, double shadowRadius, cg::Size shadowOffset) {
    if (!view) return;
    const auto& layer = view->layer();
    layer->setShadowColor(cg::Color{230 / 255.0, 230 / 255.0, 230 / 255.0, 1});
    layer->setMasksToBounds(false);
    layer->setCornerRadius(cornerRadius);
    layer->setShadowRadius(shadowRadius);
    layer->setShadowOffset(shadowOffset);
    layer->setShadowOpacity(0.9);
}

void setShadowWithRadius(const ui::ViewRef& view, double cornerRadius) {
    setShadowWithCornerRadius(view, cornerRadius, 3, {0, 0});
}

void setCornerRadius(const ui::ViewRef& view, double radius, unsigned corners) {
    if (!view) return;
    cg::Rect bounds = view->bounds();
    auto mask = ca::Layer::layer();
    mask->setFrame(bounds);
    // The mask is a bitmap of the rounded rectangle; an empty view gets an empty mask (shows nothing).
    if (bounds.size.width > 0 && bounds.size.height > 0) {
        ui::GraphicsBeginImageContextWithOptions(bounds.size, false, 0);
        auto path = ui::BezierPath::bezierPathWithRoundedRect(cg::RectMake(0, 0, bounds.size.width, bounds.size.height),
                                                             corners, {radius, radius});
        ui::Color::blackColor()->setFill();
        path->fill();
        ui::ImageRef image = ui::GraphicsGetImageFromCurrentImageContext();
        ui::GraphicsEndImageContext();
        if (image) {
            mask->setContents(image->CGImage());
            mask->setContentsScale(image->scale());
        }
    }
    view->layer()->setMask(mask);
}

} // namespace Extension
