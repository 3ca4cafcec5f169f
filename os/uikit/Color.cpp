#include "os/uikit/Color.h"

#include "os/foundation/Format.h"
#include "os/uikit/Graphics.h"

namespace ui {

ColorRef Color::colorWithWhite(double white, double alpha) {
    return ns::make<Color>(Model::Gray, std::array<double, 3>{white, 0, 0}, alpha);
}

ColorRef Color::colorWithRed(double red, double green, double blue, double alpha) {
    return ns::make<Color>(Model::RGB, std::array<double, 3>{red, green, blue}, alpha);
}

ColorRef Color::colorWithCGColor(cg::Color c) { return colorWithRed(c.r, c.g, c.b, c.a); }

ColorRef Color::blackColor() { return colorWithWhite(0, 1); }
ColorRef Color::darkGrayColor() { return colorWithWhite(1.0 / 3, 1); }
ColorRef Color::grayColor() { return colorWithWhite(0.5, 1); }
ColorRef Color::lightGrayColor() { return colorWithWhite(2.0 / 3, 1); }
ColorRef Color::whiteColor() { return colorWithWhite(1, 1); }
ColorRef Color::clearColor() { return colorWithWhite(0, 0); }
ColorRef Color::redColor() { return colorWithRed(1, 0, 0, 1); }
ColorRef Color::greenColor() { return colorWithRed(0, 1, 0, 1); }
ColorRef Color::blueColor() { return colorWithRed(0, 0, 1, 1); }
ColorRef Color::cyanColor() { return colorWithRed(0, 1, 1, 1); }
ColorRef Color::yellowColor() { return colorWithRed(1, 1, 0, 1); }
ColorRef Color::magentaColor() { return colorWithRed(1, 0, 1, 1); }
ColorRef Color::orangeColor() { return colorWithRed(1, 0.5, 0, 1); }
ColorRef Color::purpleColor() { return colorWithRed(0.5, 0, 0.5, 1); }
ColorRef Color::brownColor() { return colorWithRed(0.6, 0.4, 0.2, 1); }

bool Color::getWhite(double* white, double* alpha) const {
    if (model_ != Model::Gray) return false;
    if (white) *white = components_[0];
    if (alpha) *alpha = alpha_;
    return true;
}

bool Color::getRed(double* red, double* green, double* blue, double* alpha) const {
    bool gray = model_ == Model::Gray;
    if (red) *red = components_[0];
    if (green) *green = gray ? components_[0] : components_[1];
    if (blue) *blue = gray ? components_[0] : components_[2];
    if (alpha) *alpha = alpha_;
    return true;
}

ColorRef Color::colorWithAlphaComponent(double alpha) const { return ns::make<Color>(model_, components_, alpha); }

cg::Color Color::cgColor() const {
    double r, g, b, a;
    getRed(&r, &g, &b, &a);
    return {r, g, b, a};
}

void Color::set() const {
    setFill();
    setStroke();
}

void Color::setFill() const {
    if (cg::Context* c = GraphicsGetCurrentContext()) c->SetFillColor(cgColor());
}

void Color::setStroke() const {
    if (cg::Context* c = GraphicsGetCurrentContext()) c->SetStrokeColor(cgColor());
}

bool Color::isEqual(const Color& other) const {
    return model_ == other.model_ && components_ == other.components_ && alpha_ == other.alpha_;
}

std::string Color::description() const {
    if (model_ == Model::Gray) return ns::format("UIExtendedGrayColorSpace %@ %@", components_[0], alpha_);
    return ns::format("UIExtendedSRGBColorSpace %@ %@ %@ %@", components_[0], components_[1], components_[2], alpha_);
}

} // namespace ui
