#include "foundation/URLEncode.h"

#include "os/foundation/Clock.h"
#include "os/foundation/Crypto.h"
#include "os/foundation/Format.h"
#include "os/foundation/Random.h"
#include "os/foundation/Strings.h"
#include "os/text/StringDrawing.h"

#include <cmath>
#include <limits>

namespace URLEncode {

std::string md5String(std::string_view text) { return ns::md5Hex(text); }

bool isURL(const std::optional<std::string>& text) {
    return text && ns::str::matchesPredicate(*text, "[a-zA-z]+://[^\\s]*");
}

ns::Ref<ns::Bundle> getSdkBundle() {
    auto main = ns::Bundle::main();
    if (auto path = main->pathForResource("VOZUV", "bundle")) {
        if (auto bundle = ns::Bundle::bundleWithPath(*path)) return bundle;
    }
    return main;
}

bool isNumber(const std::optional<std::string>& text) {
    static const ns::CharacterSet digitsAndPoint = ns::CharacterSet::characters("0123456789.");
    return text && ns::str::consistsOf(*text, digitsAndPoint);
}

std::string getOrderNumber() {
    // The random part is taken in 32-bit arithmetic, wrap-around included.
    uint32_t random = ns::Random::uniform32() + 1000u;
    return ns::format("%.f%ld", ns::Clock::wallNow() * 1000, static_cast<long>(random % 10000u));
}

std::string getNowTimeTimestamp() { return ns::format("%0.f", ns::Clock::wallNow()); }

ns::AttributedString getPriceAttribute(const std::optional<std::string>& text, const ui::FontRef& font) {
    ns::AttributedString result(text.value_or(""));
    if (result.length16() == 0 || !font) return result;
    // The first character whole: a 4-byte UTF-8 sequence is two UTF-16 units.
    size_t firstLength = static_cast<unsigned char>(result.string()[0]) >= 0xF0 ? 2 : 1;
    result.addAttribute(ns::FontAttributeName, ns::Value(font), {0, firstLength});
    return result;
}

std::string trimmedWhitespaceAndNewlineString(std::string_view text) {
    return ns::str::trimmingWhitespaceAndNewlines(text);
}

double getHeightWithText(const std::optional<std::string>& text, double width, double fontSize) {
    auto font = ui::Font::systemFontOfSize(fontSize <= 0 ? 13 : fontSize);
    std::string_view measured = text && !text->empty() ? std::string_view(*text) : HeightPlaceholderText;
    ns::Dictionary attributes{{ns::FontAttributeName, ns::Value(font)}};
    cg::Rect rect = vx::text::boundingRect(measured, {width, std::numeric_limits<float>::max()}, vx::text::UsesLineFragmentOrigin,
                                       attributes);
    return std::ceil(rect.size.height);
}

} // namespace URLEncode
