#include "os/text/Font.h"

#include "os/foundation/Format.h"
#include "os/text/Engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace ui {

Font::Font(std::string family, double size, double weight)
    : family_(std::move(family)), size_(size > 0 ? std::min(size, kMaximumSize) : 0), weight_(weight) {
    vx::text::engine::FaceInfo face = vx::text::engine::face(family_, vx::text::engine::cssWeightOf(weight_));
    family_ = face.family;
    fontName_ = face.postScriptName.empty() ? family_ : face.postScriptName;
    // Whole points: the line height is the rounded natural height, the ascender the rounded
    // natural ascent, and the descender what is left.
    lineHeight_ = std::round(size_ * (face.ascentPerPoint + face.descentPerPoint));
    ascender_ = std::min(lineHeight_, std::round(size_ * face.ascentPerPoint));
}

FontRef Font::systemFontOfSize(double size, double weight) {
    return ns::make<Font>(vx::text::engine::kSystemFamily, size, weight);
}

FontRef Font::boldSystemFontOfSize(double size) { return systemFontOfSize(size, FontWeight::Bold); }

FontRef Font::fontWithName(const std::string& name, double size) {
    auto named = vx::text::engine::lookup(name);
    if (!named) return systemFontOfSize(size);
    return ns::make<Font>(named->family, size, vx::text::engine::platformWeightOf(named->cssWeight));
}

FontRef Font::fontWithSize(double size) const { return ns::make<Font>(family_, size, weight_); }

bool Font::isEqual(const Font& other) const {
    return family_ == other.family_ && size_ == other.size_ && vx::text::engine::cssWeightOf(weight_) == vx::text::engine::cssWeightOf(other.weight_);
}

std::string Font::description() const {
    return ns::format("<Font: %s; size %@; weight %@>", fontName_.c_str(), size_, weight_);
}

} // namespace ui
