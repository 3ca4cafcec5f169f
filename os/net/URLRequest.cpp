#include "os/net/URLRequest.h"

#include "os/foundation/Format.h"
#include "os/foundation/Strings.h"

namespace ns {

namespace {
bool sameField(std::string_view a, std::string_view b) { return str::lowercase(a) == str::lowercase(b); }
} // namespace

Ref<URLRequest> URLRequest::requestWithURL(Ref<URL> url) {
    auto r = std::make_shared<URLRequest>();
    r->url_ = std::move(url);
    return r;
}

Ref<URLRequest> URLRequest::requestWithURL(Ref<URL> url, URLRequestCachePolicy cachePolicy, double timeoutInterval) {
    auto r = requestWithURL(std::move(url));
    r->cachePolicy_ = cachePolicy;
    r->setTimeoutInterval(timeoutInterval);
    return r;
}

Ref<URLRequest> URLRequest::copy() const {
    auto r = std::make_shared<URLRequest>();
    r->url_ = url_;
    r->method_ = method_;
    r->headers_ = headers_;
    r->body_ = body_ ? Data::make(body_->bytes(), body_->length()) : nullptr;
    r->timeout_ = timeout_;
    r->timeoutSet_ = timeoutSet_;
    r->cachePolicy_ = cachePolicy_;
    r->handleCookies_ = handleCookies_;
    r->pipelining_ = pipelining_;
    return r;
}

void URLRequest::setHTTPMethod(std::string method) { method_ = method.empty() ? "GET" : std::move(method); }

void URLRequest::setAllHTTPHeaderFields(Dictionary fields) {
    headers_ = Dictionary();
    for (const auto& [name, value] : fields) {
        if (auto text = value.stringValue()) setValue(*text, name);
    }
}

std::optional<std::string> URLRequest::valueForHTTPHeaderField(std::string_view field) const {
    for (const auto& [name, value] : headers_)
        if (sameField(name, field)) return value.stringValue();
    return std::nullopt;
}

void URLRequest::setValue(const std::optional<std::string>& value, std::string_view field) {
    for (const auto& name : headers_.keys())
        if (sameField(name, field)) headers_.remove(name);
    if (value) headers_.set(std::string(field), *value);
}

void URLRequest::addValue(const std::string& value, std::string_view field) {
    auto existing = valueForHTTPHeaderField(field);
    setValue(existing ? *existing + ", " + value : value, field);
}

void URLRequest::setTimeoutInterval(double seconds) {
    timeout_ = seconds;
    timeoutSet_ = true;
}

std::string URLRequest::description() const {
    return format("<%@> { URL: %@ }", className(), url_ ? url_->absoluteString() : std::string("(null)"));
}

} // namespace ns
