#pragma once
// Validates a reply's status code and content type; hands the body back unchanged.

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/net/URLResponse.h"

#include <optional>
#include <set>
#include <string>

inline constexpr const char* SDPURLResponseSerializationErrorDomain = "SDPURLResponseSerializationErrorDomain";
inline constexpr const char* SDPNetworkingOperationFailingURLResponseErrorKey = "SDPNetworkingOperationFailingURLResponseErrorKey";
inline constexpr const char* SDPNetworkingOperationFailingURLResponseDataErrorKey = "SDPNetworkingOperationFailingURLResponseDataErrorKey";

class SDPHTTPResponseSerializer : public ns::Object {
public:
    static ns::Ref<SDPHTTPResponseSerializer> serializer();

    // nil accepts any content type.
    const std::optional<std::set<std::string>>& acceptableContentTypes() const { return contentTypes_; }
    void setAcceptableContentTypes(std::optional<std::set<std::string>> types) { contentTypes_ = std::move(types); }
    // 200 to 299 by default.
    bool acceptsStatusCode(long code) const { return code >= 200 && code <= 299; }

    // Fills *error when the status code or the content type is not acceptable.
    bool validateResponse(const ns::Ref<ns::URLResponse>& response, const ns::DataRef& data, ns::Ref<ns::Error>* error) const;
    // The data unchanged in every case; *error as validateResponse leaves it.
    virtual ns::Value responseObjectForResponse(const ns::Ref<ns::URLResponse>& response, const ns::DataRef& data,
                                                ns::Ref<ns::Error>* error) const;

    SDPHTTPResponseSerializer() = default; // use the factories

protected:
    std::optional<std::set<std::string>> contentTypes_;
};
