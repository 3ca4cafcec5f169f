#pragma once
// Builds requests: default header fields, and parameters form-encoded into the body of a POST
// ("application/x-www-form-urlencoded") or into the query of a GET, HEAD or DELETE.

#include "os/foundation/Error.h"
#include "os/net/URLRequest.h"

#include <string>

class SDPHTTPRequestSerializer : public ns::Object {
public:
    static ns::Ref<SDPHTTPRequestSerializer> serializer();

    // The header fields every request gets ("Accept-Language", "User-Agent").
    const ns::Dictionary& HTTPRequestHeaders() const { return headers_; }
    void setValue(const std::optional<std::string>& value, const std::string& field);
    double timeoutInterval() const { return timeout_; }
    void setTimeoutInterval(double seconds) { timeout_ = seconds; }

    // A mutable request for the URL; nil parameters add no body and no query. A URL text that does
    // not parse gives nil and fills *error.
    ns::Ref<ns::URLRequest> requestWithMethod(const std::string& method, const std::string& URLString,
                                              const ns::Value& parameters, ns::Ref<ns::Error>* error) const;

    SDPHTTPRequestSerializer(); // use the factory

private:
    ns::Dictionary headers_;
    double timeout_ = ns::URLRequest::DefaultTimeoutInterval;
};
