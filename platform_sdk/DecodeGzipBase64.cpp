#include "platform_sdk/DecodeGzipBase64.h"

#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Log.h"
#include "os/foundation/UTF8.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// Shared with the platform server; changing it breaks every exchange with it.
constexpr char kKeyTable[] = "6mq&>zC1,v|`RUZyt[<0b/d;+7FarKwLSX{#AEn2%g-$eWcpof8l!=(?3.iM9:VT";
static_assert(sizeof(kKeyTable) == 65, "the key table holds 64 characters");

// UTF-8 → UTF-16; the text is valid UTF-8 here (checked by the callers or ASCII by construction).
std::u16string toUTF16(std::string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? c : (c & (0x7F >> len));
        for (size_t k = 1; k < len && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// Only the ASCII digits of a part matter for its integer value; the rest reads as text after them.
std::string asciiPrefix(const std::u16string& part) {
    std::string out;
    for (char16_t unit : part) out += unit < 0x80 ? static_cast<char>(unit) : '?';
    return out;
}

ns::Value parseLogged(const ns::DataRef& bytes) {
    ns::Ref<ns::Error> error;
    ns::Value object = ns::JSONSerialization::parse(
        bytes, ns::JSONSerialization::ReadingMutableContainers | ns::JSONSerialization::ReadingMutableLeaves, &error);
    if (object.isNil()) {
        ns::log("JSON序列化失败----%@", error ? error->description() : std::string("(null)"));
        return {};
    }
    return object;
}

} // namespace

std::vector<std::u16string> DecodeGzipBase64::getArray() { return getArrayFromStr(kKeyTable); }

std::vector<std::u16string> DecodeGzipBase64::getArrayFromStr(const std::string& text) {
    std::vector<std::u16string> out;
    for (char16_t unit : toUTF16(text)) out.emplace_back(1, unit);
    return out;
}

ns::DataRef DecodeGzipBase64::codingJSON(const ns::Value& object) {
    ns::Ref<ns::Error> error;
    ns::DataRef json = ns::JSONSerialization::write(object, 0, &error);
    if (!json) {
        ns::log("JSON序列化失败----%@", error ? error->description() : std::string("(null)"));
        return nullptr;
    }
    // Base64 text and key table are ASCII: one UTF-16 unit per byte, and each sum below 255.
    const std::string base64 = json->base64Encoded(ns::Data::Base64LineLength64);
    std::vector<uint8_t> text(base64.size() * 4 + 2);
    uint8_t* out = text.data();
    *out++ = 'x';
    for (size_t i = 0; i < base64.size(); ++i) {
        const unsigned number = static_cast<unsigned char>(base64[i]) + static_cast<unsigned char>(kKeyTable[i % 64]);
        if (i) *out++ = '_';
        if (number >= 100) *out++ = static_cast<uint8_t>('0' + number / 100);
        if (number >= 10) *out++ = static_cast<uint8_t>('0' + number / 10 % 10);
        *out++ = static_cast<uint8_t>('0' + number % 10);
    }
    *out++ = 'y';
    text.resize(static_cast<size_t>(out - text.data()));
    return cxrLFCGzipUtillity::gzipData(ns::Data::make(std::move(text)));
}

namespace {

// The Base64 text of an all-ASCII body, where UTF-16 units are bytes: the same steps as below
// without converting the text. Nullopt when a decoded character is not ASCII.
std::optional<std::string> asciiBase64(std::string_view text) {
    const std::string_view inner = text.substr(1, text.size() - 2);
    std::string base64(inner.size() / 2 + 1, '\0');
    size_t index = 0, start = 0;
    while (true) {
        // Parts are short runs of digits; anything else goes through the general reader.
        size_t end = start;
        long long number = 0;
        // Past 18 digits the general reader below takes over; stop adding before the sum overflows.
        for (; end < inner.size() && inner[end] >= '0' && inner[end] <= '9'; ++end)
            if (end - start < 18) number = number * 10 + (inner[end] - '0');
        if ((end < inner.size() && inner[end] != '_') || end - start > 18) {
            end = inner.find('_', start);
            number = ns::numtext::integerValue(inner.substr(start, end == std::string_view::npos ? end : end - start));
        }
        const auto unit = static_cast<uint64_t>(number - static_cast<unsigned char>(kKeyTable[index % 64])) & 0xFFFF;
        if (unit > 0x7F) return std::nullopt;
        if (index == base64.size()) base64.resize(base64.size() * 2);
        base64[index++] = static_cast<char>(unit);
        if (end >= inner.size()) break;
        start = end + 1;
    }
    base64.resize(index);
    return base64;
}

} // namespace

ns::Value DecodeGzipBase64::decodingJSON(const ns::DataRef& body) {
    ns::DataRef plain = cxrLFCGzipUtillity::uncompressZippedData(body);
    if (!plain || plain->length() == 0) return {};
    const std::string_view view = plain->view();
    if (std::all_of(view.begin(), view.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        if (view.size() < 2) return {};
        auto base64 = asciiBase64(view);
        ns::DataRef json = base64 ? ns::Data::fromBase64(*base64) : nullptr;
        return json ? parseLogged(json) : ns::Value();
    }
    if (!ns::utf8::isValid(view)) return {};
    std::u16string text = toUTF16(plain->toString());
    // One character has no pair of outer characters to drop.
    if (text.size() < 2) return {};
    std::u16string inner = text.substr(1, text.size() - 2);

    auto key = getArray();
    std::u16string decoded;
    size_t index = 0, start = 0;
    while (true) {
        size_t end = inner.find(u'_', start);
        std::u16string part = inner.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        long long number = ns::numtext::integerValue(asciiPrefix(part));
        decoded += static_cast<char16_t>(static_cast<uint64_t>(number - key[index % 64][0]) & 0xFFFF);
        ++index;
        if (end == std::u16string::npos) break;
        start = end + 1;
    }
    // Base64 holds only ASCII; anything else fails the strict decode below anyway.
    std::string base64;
    base64.reserve(decoded.size());
    for (char16_t unit : decoded) {
        if (unit > 0x7F) return {};
        base64 += static_cast<char>(unit);
    }
    ns::DataRef json = ns::Data::fromBase64(base64);
    if (!json) return {};
    return parseLogged(json);
}

ns::Value DecodeGzipBase64::cxr_decodingJSON(const ns::DataRef& body) {
    ns::DataRef plain = cxrLFCGzipUtillity::uncompressZippedData(body);
    if (!plain) return {};
    return parseLogged(plain);
}
