#pragma once
// A colour of the UI layer: grey (white + alpha) or RGB + alpha, components as given (0..1).

#include "os/foundation/Object.h"
#include "os/graphics/Context.h"
#include "os/text/Attributes.h"

#include <array>
#include <string>

namespace ui {

class Color;
using ColorRef = ns::Ref<Color>;

// As the value of an attributed string's colour attribute it colours that text.
class Color : public ns::Object, public vx::text::ColorAttribute {
public:
    enum class Model { Gray, RGB };

    static ColorRef colorWithWhite(double white, double alpha);
    static ColorRef colorWithRed(double red, double green, double blue, double alpha);
    static ColorRef colorWithCGColor(cg::Color c);

    // The named colours (grey ones are grey colours, as on the platform).
    static ColorRef blackColor();     // white 0
    static ColorRef darkGrayColor();  // white 1/3
    static ColorRef grayColor();      // white 0.5
    static ColorRef lightGrayColor(); // white 2/3
    static ColorRef whiteColor();     // white 1
    static ColorRef clearColor();     // white 0, alpha 0
    static ColorRef redColor();
    static ColorRef greenColor();
    static ColorRef blueColor();
    static ColorRef cyanColor();
    static ColorRef yellowColor();
    static ColorRef magentaColor();
    static ColorRef orangeColor();    // 1, 0.5, 0
    static ColorRef purpleColor();    // 0.5, 0, 0.5
    static ColorRef brownColor();     // 0.6, 0.4, 0.2

    Model model() const { return model_; }
    // Only grey colours answer their white; RGB colours answer false.
    bool getWhite(double* white, double* alpha) const;
    // Every colour answers (grey ones as equal red, green and blue).
    bool getRed(double* red, double* green, double* blue, double* alpha) const;
    double alpha() const { return alpha_; }
    // The same colour (same model) with another alpha.
    ColorRef colorWithAlphaComponent(double alpha) const;
    cg::Color cgColor() const;
    cg::Color textColor() const override { return cgColor(); }

    // Fill and/or stroke colour of the current graphics context.
    void set() const;
    void setFill() const;
    void setStroke() const;

    // Same model and the same components.
    bool isEqual(const Color& other) const;
    std::string description() const override;

    Color(Model model, std::array<double, 3> components, double alpha)
        : model_(model), components_(components), alpha_(alpha) {}

private:
    Model model_;
    std::array<double, 3> components_; // grey uses [0]
    double alpha_;
};

} // namespace ui
