#pragma once
// String helpers of the SDK screens: digests, URL and number tests, order numbers, timestamps,
// price texts, trimming and text heights.

#include "os/foundation/AttributedString.h"
#include "os/foundation/Bundle.h"
#include "os/text/Font.h"

#include <optional>
#include <string>
#include <string_view>

namespace URLEncode {

// MD5 of the UTF-8 bytes: 32 lower-case hexadecimal characters.
std::string md5String(std::string_view text);
// The whole text matches "[a-zA-z]+://[^\s]*"; NO for nil.
bool isURL(const std::optional<std::string>& text);
// The resource bundle "VOZUV.bundle" of the main bundle, or the main bundle when it has none.
ns::Ref<ns::Bundle> getSdkBundle();
// Non-empty and only the characters "0123456789." (several points pass); NO for nil.
bool isNumber(const std::optional<std::string>& text);
// Milliseconds since 1970 ("%.f") followed by a random number 0-9999, not padded.
std::string getOrderNumber();
// Seconds since 1970, "%0.f".
std::string getNowTimeTimestamp();
// The text with its first character in the given font; the rest keeps the label's font.
// Nil or empty text gives an empty string.
ns::AttributedString getPriceAttribute(const std::optional<std::string>& text, const ui::FontRef& font);
std::string trimmedWhitespaceAndNewlineString(std::string_view text);
// Height, rounded up, of the text wrapped at the width in the system font of the size (13 when the
// size is 0 or less). Nil or empty text is measured as the placeholder text below.
double getHeightWithText(const std::optional<std::string>& text, double width, double fontSize);

inline constexpr const char* HeightPlaceholderText = "暂无内容";

} // namespace URLEncode
