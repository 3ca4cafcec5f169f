#pragma once
// NSURLResponse and NSHTTPURLResponse: what a load answered, before the body.

#include "os/foundation/URL.h"
#include "os/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ns {

class URLResponse : public Object {
public:
    // expectedContentLength -1 when unknown.
    static Ref<URLResponse> create(Ref<URL> url, std::optional<std::string> mimeType, int64_t expectedContentLength,
                                   std::optional<std::string> textEncodingName);

    const Ref<URL>& url() const { return url_; }
    // The media type without parameters, lower case ("text/html").
    const std::optional<std::string>& mimeType() const { return mimeType_; }
    int64_t expectedContentLength() const { return expectedContentLength_; }
    // The "charset" parameter, as sent.
    const std::optional<std::string>& textEncodingName() const { return textEncodingName_; }

    // The media type a file name's extension stands for, "application/octet-stream" when unknown.
    static std::string mimeTypeForPathExtension(std::string_view extension);

    URLResponse() = default; // use the factories

protected:
    Ref<URL> url_;
    std::optional<std::string> mimeType_;
    int64_t expectedContentLength_ = -1;
    std::optional<std::string> textEncodingName_;
};

class HTTPURLResponse : public URLResponse {
public:
    // MIME type, text encoding and expected length come from the header fields. The length is -1
    // without "Content-Length", or when a content coding (gzip, deflate) makes the body larger.
    static Ref<HTTPURLResponse> create(Ref<URL> url, long statusCode, Dictionary headerFields);

    long statusCode() const { return statusCode_; }
    // Field names as received; repeated fields joined with ", ".
    const Dictionary& allHeaderFields() const { return headers_; }
    // Case-insensitive lookup.
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;

    std::string description() const override;

private:
    long statusCode_ = 0;
    Dictionary headers_;
};

} // namespace ns
