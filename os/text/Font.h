#pragma once
// A font at a size. The system font is Noto Sans CJK SC (the only family this system ships);
// a named font this system does not have falls back to it. Metrics are in whole points, so a
// height made of whole lines truncates to an integer without losing a line.

#include "os/foundation/Object.h"

#include <string>

namespace ui {

// Weights on the platform's scale (-1 … 1).
namespace FontWeight {
inline constexpr double UltraLight = -0.8;
inline constexpr double Thin = -0.6;
inline constexpr double Light = -0.4;
inline constexpr double Regular = 0.0;
inline constexpr double Medium = 0.23;
inline constexpr double Semibold = 0.3;
inline constexpr double Bold = 0.4;
inline constexpr double Heavy = 0.56;
inline constexpr double Black = 0.62;
} // namespace FontWeight

class Font;
using FontRef = ns::Ref<Font>;

class Font : public ns::Object {
public:
    // Sizes are clamped to 0 … kMaximumSize (NaN reads as 0).
    static constexpr double kMaximumSize = 4096;

    static FontRef systemFontOfSize(double size, double weight = FontWeight::Regular);
    static FontRef boldSystemFontOfSize(double size);
    // A family name or a PostScript-style name ("Family-Bold"); unknown names give the system
    // font of that size.
    static FontRef fontWithName(const std::string& name, double size);

    // "NotoSansCJKsc-Regular", "NotoSansCJKsc-Bold".
    const std::string& fontName() const { return fontName_; }
    const std::string& familyName() const { return family_; }
    double pointSize() const { return size_; }
    double weight() const { return weight_; }
    bool isBold() const;

    // Whole points: lineHeight = ascender - descender; the descender is negative.
    double lineHeight() const { return lineHeight_; }
    double ascender() const { return ascender_; }
    double descender() const { return ascender_ - lineHeight_; }

    // Same family and weight at another size.
    FontRef fontWithSize(double size) const;
    bool isEqual(const Font& other) const;
    std::string description() const override;

    Font(std::string family, double size, double weight);

private:
    std::string family_;
    std::string fontName_;
    double size_;
    double weight_;
    double lineHeight_ = 0;
    double ascender_ = 0;
};

} // namespace ui
