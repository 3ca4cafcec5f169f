#include "os/net/URLSessionConfiguration.h"

#include "os/net/HTTPCookieStorage.h"
#include "os/net/URLCache.h"

namespace ns {

Ref<URLSessionConfiguration> URLSessionConfiguration::defaultSessionConfiguration() {
    auto c = std::make_shared<URLSessionConfiguration>();
    c->cookieStorage_ = HTTPCookieStorage::shared();
    c->urlCache_ = URLCache::shared();
    return c;
}

Ref<URLSessionConfiguration> URLSessionConfiguration::copy() const {
    auto c = std::make_shared<URLSessionConfiguration>();
    c->timeoutForRequest_ = timeoutForRequest_;
    c->additionalHeaders_ = additionalHeaders_;
    c->cookieStorage_ = cookieStorage_;
    c->shouldSetCookies_ = shouldSetCookies_;
    c->urlCache_ = urlCache_;
    c->cachePolicy_ = cachePolicy_;
    return c;
}

} // namespace ns
