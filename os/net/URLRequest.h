#pragma once
// NSMutableURLRequest: what to load and how (method, header fields, body, idle time-out, policies).

#include "os/foundation/Data.h"
#include "os/foundation/URL.h"
#include "os/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace ns {

enum class URLRequestCachePolicy : unsigned long {
    UseProtocolCachePolicy = 0,
    ReloadIgnoringLocalCacheData = 1,
    ReturnCacheDataElseLoad = 2,
    ReturnCacheDataDontLoad = 3,
};

class URLRequest : public Object {
public:
    static constexpr double DefaultTimeoutInterval = 60;

    static Ref<URLRequest> requestWithURL(Ref<URL> url);
    static Ref<URLRequest> requestWithURL(Ref<URL> url, URLRequestCachePolicy cachePolicy, double timeoutInterval);
    // An independent copy (a task keeps its own).
    Ref<URLRequest> copy() const;

    const Ref<URL>& url() const { return url_; }
    void setURL(Ref<URL> url) { url_ = std::move(url); }
    // "GET" by default.
    const std::string& httpMethod() const { return method_; }
    void setHTTPMethod(std::string method);

    // Field names keep the case they were set with; lookups ignore case.
    const Dictionary& allHTTPHeaderFields() const { return headers_; }
    void setAllHTTPHeaderFields(Dictionary fields);
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    // Replaces the field (any case); nil removes it.
    void setValue(const std::optional<std::string>& value, std::string_view field);
    // Appends to an existing field with ", ".
    void addValue(const std::string& value, std::string_view field);

    const DataRef& httpBody() const { return body_; }
    void setHTTPBody(DataRef body) { body_ = std::move(body); }

    // Idle time-out in seconds: the load fails when nothing moves for that long.
    double timeoutInterval() const { return timeout_; }
    void setTimeoutInterval(double seconds);
    URLRequestCachePolicy cachePolicy() const { return cachePolicy_; }
    void setCachePolicy(URLRequestCachePolicy policy) { cachePolicy_ = policy; }
    // Without it no cookies are sent or stored.
    bool httpShouldHandleCookies() const { return handleCookies_; }
    void setHTTPShouldHandleCookies(bool on) { handleCookies_ = on; }
    // Recorded only: connections are not pipelined.
    bool httpShouldUsePipelining() const { return pipelining_; }
    void setHTTPShouldUsePipelining(bool on) { pipelining_ = on; }

    // Whether setTimeoutInterval was called; a session's configured time-out applies otherwise.
    bool timeoutIntervalWasSet() const { return timeoutSet_; }

    std::string description() const override;

    URLRequest() = default; // use the factories

private:
    Ref<URL> url_;
    std::string method_ = "GET";
    Dictionary headers_;
    DataRef body_;
    double timeout_ = DefaultTimeoutInterval;
    bool timeoutSet_ = false;
    URLRequestCachePolicy cachePolicy_ = URLRequestCachePolicy::UseProtocolCachePolicy;
    bool handleCookies_ = true;
    bool pipelining_ = false;
};

} // namespace ns
