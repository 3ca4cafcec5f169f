#include "widgets/UIColor+XTExtention.h"

#include "os/foundation/Strings.h"

namespace XTExtention {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

ui::ColorRef colorWithHexString(const std::optional<std::string>& hex) {
    if (!hex) return ui::Color::clearColor();
    std::string text = ns::str::trimmingWhitespaceAndNewlines(*hex);
    if (!text.empty() && text.front() == '#') text.erase(0, 1);
    if (text.size() != 6) return ui::Color::clearColor();
    double components[3];
    for (int i = 0; i < 3; ++i) {
        int high = hexDigit(text[2 * i]), low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return ui::Color::clearColor();
        components[i] = (high * 16 + low) / 255.0;
    }
    return ui::Color::colorWithRed(components[0], components[1], components[2], 1);
}

} // namespace XTExtention
