#pragma once
// NSURLSessionConfiguration: the settings a session copies when it is created.

#include "os/foundation/Value.h"
#include "os/net/URLRequest.h"

namespace ns {

class HTTPCookieStorage;
class URLCache;

class URLSessionConfiguration : public Object {
public:
    // Shared cookie storage and URL cache, 60 s request time-out.
    static Ref<URLSessionConfiguration> defaultSessionConfiguration();
    Ref<URLSessionConfiguration> copy() const;

    // Idle time-out of requests that do not set their own.
    double timeoutIntervalForRequest() const { return timeoutForRequest_; }
    void setTimeoutIntervalForRequest(double seconds) { timeoutForRequest_ = seconds; }
    // Header fields added to every request that does not set them itself.
    const Dictionary& httpAdditionalHeaders() const { return additionalHeaders_; }
    void setHTTPAdditionalHeaders(Dictionary headers) { additionalHeaders_ = std::move(headers); }
    // None: no cookies are sent or stored.
    const Ref<HTTPCookieStorage>& httpCookieStorage() const { return cookieStorage_; }
    void setHTTPCookieStorage(Ref<HTTPCookieStorage> storage) { cookieStorage_ = std::move(storage); }
    bool httpShouldSetCookies() const { return shouldSetCookies_; }
    void setHTTPShouldSetCookies(bool on) { shouldSetCookies_ = on; }
    // Where responses of requests that allow caching are stored; none: nothing is stored.
    const Ref<URLCache>& urlCache() const { return urlCache_; }
    void setURLCache(Ref<URLCache> cache) { urlCache_ = std::move(cache); }
    URLRequestCachePolicy requestCachePolicy() const { return cachePolicy_; }
    void setRequestCachePolicy(URLRequestCachePolicy policy) { cachePolicy_ = policy; }

    URLSessionConfiguration() = default; // use the factory

private:
    double timeoutForRequest_ = 60;
    Dictionary additionalHeaders_;
    Ref<HTTPCookieStorage> cookieStorage_;
    bool shouldSetCookies_ = true;
    Ref<URLCache> urlCache_;
    URLRequestCachePolicy cachePolicy_ = URLRequestCachePolicy::UseProtocolCachePolicy;
};

} // namespace ns
