#include "image/VXWebImageManager.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Bundle.h"
#include "os/foundation/Error.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/RunLoop.h"
#include "os/net/URLAuthenticationChallenge.h"
#include "os/net/URLRequest.h"
#include "os/uikit/Application.h"
#include "os/uikit/Device.h"

namespace {

struct Shared {
    std::mutex lock;
    ns::Ref<VXWebImageManager> manager;
    ns::Ref<_VXWebImageApplicationNetworkIndicatorInfo> info;
    std::optional<bool> applicationAvailable;
};

Shared& shared() {
    static auto* s = new Shared();
    return *s;
}

void addResetHook() {
    static const bool added = [] {
        ns::ResetRegistry::add("image.VXWebImageManager.shared", [] {
            ns::Ref<_VXWebImageApplicationNetworkIndicatorInfo> info;
            {
                std::lock_guard lock(shared().lock);
                shared().manager.reset();
                shared().applicationAvailable.reset();
                info = std::move(shared().info);
            }
            if (info && info->timer) info->timer->invalidate();
        });
        return true;
    }();
    (void)added;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

// --- Creation ---

ns::Ref<VXWebImageManager> VXWebImageManager::sharedManager() {
    addResetHook();
    std::lock_guard lock(shared().lock);
    if (!shared().manager) {
        auto queue = ns::OperationQueue::create();
        queue->setQualityOfService(ns::QualityOfService::Background);
        shared().manager = initWithCache(VXImageCache::sharedCache(), queue);
    }
    return shared().manager;
}

ns::Ref<VXWebImageManager> VXWebImageManager::init() {
    throw ns::Exception("VXWebImageManager init error", "Use the designated initializer to init.");
}

ns::Ref<VXWebImageManager> VXWebImageManager::initWithCache(const ns::Ref<VXImageCache>& cache,
                                                            const ns::Ref<ns::OperationQueue>& queue) {
    auto manager = ns::make<VXWebImageManager>();
    manager->cache_ = cache;
    manager->queue_ = queue;
    manager->timeout_ = 15;
    manager->headers_ = ns::Dictionary{{"Accept", "image/*;q=0.8"}};
    return manager;
}

// --- Properties ---

ns::Ref<VXImageCache> VXWebImageManager::cache() const {
    std::lock_guard lock(lock_);
    return cache_;
}
void VXWebImageManager::setCache(ns::Ref<VXImageCache> cache) {
    std::lock_guard lock(lock_);
    cache_ = std::move(cache);
}
ns::Ref<ns::OperationQueue> VXWebImageManager::queue() const {
    std::lock_guard lock(lock_);
    return queue_;
}
void VXWebImageManager::setQueue(ns::Ref<ns::OperationQueue> queue) {
    std::lock_guard lock(lock_);
    queue_ = std::move(queue);
}
VXWebImageTransformBlock VXWebImageManager::sharedTransformBlock() const {
    std::lock_guard lock(lock_);
    return sharedTransformBlock_;
}
void VXWebImageManager::setSharedTransformBlock(VXWebImageTransformBlock block) {
    std::lock_guard lock(lock_);
    sharedTransformBlock_ = std::move(block);
}
double VXWebImageManager::timeout() const {
    std::lock_guard lock(lock_);
    return timeout_;
}
void VXWebImageManager::setTimeout(double seconds) {
    std::lock_guard lock(lock_);
    timeout_ = seconds;
}
std::optional<std::string> VXWebImageManager::username() const {
    std::lock_guard lock(lock_);
    return username_;
}
void VXWebImageManager::setUsername(std::optional<std::string> username) {
    std::lock_guard lock(lock_);
    username_ = std::move(username);
}
std::optional<std::string> VXWebImageManager::password() const {
    std::lock_guard lock(lock_);
    return password_;
}
void VXWebImageManager::setPassword(std::optional<std::string> password) {
    std::lock_guard lock(lock_);
    password_ = std::move(password);
}
ns::Dictionary VXWebImageManager::headers() const {
    std::lock_guard lock(lock_);
    return headers_;
}
void VXWebImageManager::setHeaders(ns::Dictionary headers) {
    std::lock_guard lock(lock_);
    headers_ = std::move(headers);
}
VXWebImageManager::HeadersFilter VXWebImageManager::headersFilter() const {
    std::lock_guard lock(lock_);
    return headersFilter_;
}
void VXWebImageManager::setHeadersFilter(HeadersFilter filter) {
    std::lock_guard lock(lock_);
    headersFilter_ = std::move(filter);
}
VXWebImageManager::CacheKeyFilter VXWebImageManager::cacheKeyFilter() const {
    std::lock_guard lock(lock_);
    return cacheKeyFilter_;
}
void VXWebImageManager::setCacheKeyFilter(CacheKeyFilter filter) {
    std::lock_guard lock(lock_);
    cacheKeyFilter_ = std::move(filter);
}

// --- Requests ---

ns::Ref<VXWebImageOperation> VXWebImageManager::requestImageWithURL(const ns::Ref<ns::URL>& url,
                                                                    VXWebImageRequestOptions options,
                                                                    VXWebImageProgressBlock progress,
                                                                    VXWebImageTransformBlock transform,
                                                                    VXWebImageCompletionBlock completion) {
    auto request = ns::URLRequest::requestWithURL(url);
    request->setTimeoutInterval(timeout());
    request->setHTTPShouldHandleCookies((options & VXWebImageOptionCookies) != 0);
    request->setAllHTTPHeaderFields(headersForURL(url).value_or(ns::Dictionary{}));
    request->setHTTPShouldUsePipelining(true);
    request->setCachePolicy((options & VXWebImageOptionURLCache) ? ns::URLRequestCachePolicy::UseProtocolCachePolicy
                                                                  : ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);

    if (!transform) transform = sharedTransformBlock();
    auto operation = VXWebImageOperation::initWithRequest(request, options, cache(), cacheKeyForURL(url),
                                                          std::move(progress), std::move(transform),
                                                          std::move(completion));
    if (!operation) return nullptr;
    auto user = username();
    auto pass = password();
    if (user && pass)
        operation->setCredential(ns::URLCredential::credentialWithUser(*user, *pass, ns::URLCredentialPersistence::ForSession));
    if (auto q = queue()) q->addOperation(operation);
    else operation->start();
    return operation;
}

std::optional<ns::Dictionary> VXWebImageManager::headersForURL(const ns::Ref<ns::URL>& url) const {
    if (!url) return std::nullopt;
    auto filter = headersFilter();
    return filter ? filter(url, headers()) : headers();
}

std::optional<std::string> VXWebImageManager::cacheKeyForURL(const ns::Ref<ns::URL>& url) const {
    if (!url) return std::nullopt;
    auto filter = cacheKeyFilter();
    return filter ? filter(url) : url->absoluteString();
}

// --- Network activity indicator ---

bool VXWebImageManager::sharedApplicationAvailable() {
    addResetHook();
    std::lock_guard lock(shared().lock);
    auto& available = shared().applicationAvailable;
    if (!available) {
        auto bundle = ns::Bundle::main();
        const bool extension = ui::Device::currentDevice().isAppExtension() ||
                               (bundle && endsWith(bundle->bundlePath(), ".appex"));
        available = !extension;
    }
    return *available;
}

void VXWebImageManager::incrementNetworkActivityCount() { _changeNetworkActivityCount(1); }

void VXWebImageManager::decrementNetworkActivityCount() { _changeNetworkActivityCount(-1); }

int64_t VXWebImageManager::currentNetworkActivityCount() {
    if (!sharedApplicationAvailable()) return 0;
    auto info = _networkIndicatorInfo();
    return info ? info->count.load() : 0;
}

ns::Ref<_VXWebImageApplicationNetworkIndicatorInfo> VXWebImageManager::_networkIndicatorInfo() {
    addResetHook();
    std::lock_guard lock(shared().lock);
    return shared().info;
}

void VXWebImageManager::_setNetworkIndicatorInfo(const ns::Ref<_VXWebImageApplicationNetworkIndicatorInfo>& info) {
    addResetHook();
    std::lock_guard lock(shared().lock);
    shared().info = info;
}

void VXWebImageManager::_changeNetworkActivityCount(int64_t delta) {
    if (!sharedApplicationAvailable()) return;
    auto work = [delta] {
        auto info = _networkIndicatorInfo();
        if (!info) {
            info = ns::make<_VXWebImageApplicationNetworkIndicatorInfo>();
            _setNetworkIndicatorInfo(info);
        }
        const int64_t count = info->count += delta;
        if (info->timer) info->timer->invalidate();
        info->timer = ns::Timer::timer(1.0 / 30, false, &VXWebImageManager::_delaySetActivity, ns::Value(count >= 1 ? 1 : 0));
        ns::RunLoop::main().addTimer(info->timer, ns::RunLoopCommonModes);
    };
    if (ns::RunLoop::isMainThread()) work();
    else dispatch::async(dispatch::Queue::main(), work);
}

void VXWebImageManager::_delaySetActivity(ns::Timer& timer) {
    auto& application = ui::Application::shared();
    const bool visible = timer.userInfo().boolValue();
    if (application.isNetworkActivityIndicatorVisible() != visible) application.setNetworkActivityIndicatorVisible(visible);
    timer.invalidate();
}
