#include "os/net/URLResponse.h"

#include "os/foundation/Format.h"
#include "os/foundation/Strings.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace ns {

Ref<URLResponse> URLResponse::create(Ref<URL> url, std::optional<std::string> mimeType, int64_t expectedContentLength,
                                     std::optional<std::string> textEncodingName) {
    auto r = std::make_shared<URLResponse>();
    r->url_ = std::move(url);
    r->mimeType_ = std::move(mimeType);
    r->expectedContentLength_ = expectedContentLength < 0 ? -1 : expectedContentLength;
    r->textEncodingName_ = std::move(textEncodingName);
    return r;
}

std::string URLResponse::mimeTypeForPathExtension(std::string_view extension) {
    static const std::map<std::string, std::string, std::less<>> types = {
        {"bmp", "image/bmp"},         {"css", "text/css"},
        {"gif", "image/gif"},         {"htm", "text/html"},
        {"html", "text/html"},        {"ico", "image/vnd.microsoft.icon"},
        {"jpeg", "image/jpeg"},       {"jpg", "image/jpeg"},
        {"js", "text/javascript"},    {"json", "application/json"},
        {"pdf", "application/pdf"},   {"plist", "application/x-plist"},
        {"png", "image/png"},         {"svg", "image/svg+xml"},
        {"tif", "image/tiff"},        {"tiff", "image/tiff"},
        {"txt", "text/plain"},        {"webp", "image/webp"},
        {"xml", "text/xml"},          {"apng", "image/apng"},
        {"heic", "image/heic"},       {"jp2", "image/jp2"},
    };
    auto it = types.find(str::lowercase(extension));
    return it == types.end() ? "application/octet-stream" : it->second;
}

namespace {

std::string trim(std::string_view s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    size_t b = s.find_last_not_of(" \t");
    return std::string(s.substr(a, b - a + 1));
}

// "text/html; charset=\"UTF-8\"" → ("text/html", "UTF-8").
void parseContentType(std::string_view value, std::optional<std::string>& mime, std::optional<std::string>& charset) {
    auto parts = str::split(value, ";");
    if (parts.empty()) return;
    std::string type = str::lowercase(trim(parts[0]));
    if (!type.empty()) mime = type;
    for (size_t i = 1; i < parts.size(); ++i) {
        std::string param = trim(parts[i]);
        size_t eq = param.find('=');
        if (eq == std::string::npos || str::lowercase(trim(param.substr(0, eq))) != "charset") continue;
        std::string v = trim(param.substr(eq + 1));
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (!v.empty()) charset = v;
    }
}

} // namespace

Ref<HTTPURLResponse> HTTPURLResponse::create(Ref<URL> url, long statusCode, Dictionary headerFields) {
    auto r = std::make_shared<HTTPURLResponse>();
    r->url_ = std::move(url);
    r->statusCode_ = statusCode;
    r->headers_ = std::move(headerFields);
    if (auto type = r->valueForHTTPHeaderField("Content-Type")) parseContentType(*type, r->mimeType_, r->textEncodingName_);
    auto coding = r->valueForHTTPHeaderField("Content-Encoding");
    bool encoded = coding && !trim(*coding).empty() && str::lowercase(trim(*coding)) != "identity";
    if (auto length = r->valueForHTTPHeaderField("Content-Length"); length && !encoded && str::isDigits(trim(*length)))
        r->expectedContentLength_ = numtext::integerValue(*length);
    return r;
}

std::optional<std::string> HTTPURLResponse::valueForHTTPHeaderField(std::string_view field) const {
    auto same = [&](std::string_view name) {
        return name.size() == field.size() && std::equal(name.begin(), name.end(), field.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    };
    for (const auto& [name, value] : headers_)
        if (same(name)) return value.stringValue();
    return std::nullopt;
}

std::string HTTPURLResponse::description() const {
    return format("<%@> { URL: %@ } { Status Code: %ld }", className(), url_ ? url_->absoluteString() : std::string("(null)"),
                  statusCode_);
}

} // namespace ns
