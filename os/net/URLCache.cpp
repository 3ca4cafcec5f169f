#include "os/net/URLCache.h"

#include "os/net/Loader.h"

#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Sandbox.h"
#include "os/foundation/Strings.h"
#include "os/net/URLRequest.h"
#include "os/net/URLResponse.h"

namespace ns {

namespace {

std::optional<std::string> keyFor(const URLRequest& request) {
    if (!request.url() || request.httpMethod() != "GET") return std::nullopt;
    return request.url()->absoluteString();
}

uint64_t costOf(const CachedURLResponse& cached) { return cached.data() ? cached.data()->length() : 0; }

struct SharedCache {
    std::mutex mutex;
    Ref<URLCache> cache;
};

SharedCache& sharedCache() {
    static SharedCache s;
    static bool registered = [] {
        ResetRegistry::add("ns.URLCache.shared", [] {
            std::lock_guard lock(sharedCache().mutex);
            sharedCache().cache.reset();
        });
        return true;
    }();
    (void)registered;
    return s;
}

} // namespace

CachedURLResponse::CachedURLResponse(Ref<URLResponse> response, DataRef data, Dictionary userInfo,
                                     URLCacheStoragePolicy storagePolicy)
    : response_(std::move(response)), data_(std::move(data)), userInfo_(std::move(userInfo)),
      storagePolicy_(storagePolicy) {}

URLCache::URLCache(uint64_t memoryCapacity, uint64_t diskCapacity, std::string diskPath)
    : memoryCapacity_(memoryCapacity), diskCapacity_(diskCapacity), diskPath_(std::move(diskPath)) {}

Ref<URLCache> URLCache::create(uint64_t memoryCapacity, uint64_t diskCapacity, const std::string& diskPath) {
    std::string path = diskPath.empty() || diskPath.front() != '/'
                           ? str::stringByAppendingPathComponent(cachesPath(), diskPath.empty() ? "URLCache" : diskPath)
                           : diskPath;
    return std::make_shared<URLCache>(memoryCapacity, diskCapacity, path);
}

Ref<URLCache> URLCache::shared() {
    auto& s = sharedCache();
    std::lock_guard lock(s.mutex);
    if (!s.cache) s.cache = create(512000, 10000000, "URLCache");
    return s.cache;
}

void URLCache::setShared(Ref<URLCache> cache) {
    auto& s = sharedCache();
    std::lock_guard lock(s.mutex);
    s.cache = std::move(cache);
}

uint64_t URLCache::memoryCapacity() const {
    std::lock_guard lock(mutex_);
    return memoryCapacity_;
}

void URLCache::setMemoryCapacity(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    memoryCapacity_ = bytes;
    evictLocked();
}

uint64_t URLCache::diskCapacity() const {
    std::lock_guard lock(mutex_);
    return diskCapacity_;
}

void URLCache::setDiskCapacity(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    diskCapacity_ = bytes;
}

uint64_t URLCache::currentMemoryUsage() const {
    std::lock_guard lock(mutex_);
    return usage_;
}

Ref<CachedURLResponse> URLCache::cachedResponseForRequest(const URLRequest& request) {
    auto key = keyFor(request);
    if (!key) return nullptr;
    std::lock_guard lock(mutex_);
    auto it = index_.find(*key);
    if (it == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, it->second);
    return it->second->second;
}

void URLCache::storeCachedResponse(const Ref<CachedURLResponse>& cached, const URLRequest& request) {
    auto key = keyFor(request);
    if (!key || !cached || cached->storagePolicy() == URLCacheStoragePolicy::NotAllowed) return;
    std::lock_guard lock(mutex_);
    if (costOf(*cached) > memoryCapacity_) return;
    if (auto it = index_.find(*key); it != index_.end()) {
        usage_ -= costOf(*it->second->second);
        entries_.erase(it->second);
    }
    entries_.emplace_front(*key, cached);
    index_[*key] = entries_.begin();
    usage_ += costOf(*cached);
    evictLocked();
}

void URLCache::removeCachedResponseForRequest(const URLRequest& request) {
    auto key = keyFor(request);
    if (!key) return;
    std::lock_guard lock(mutex_);
    auto it = index_.find(*key);
    if (it == index_.end()) return;
    usage_ -= costOf(*it->second->second);
    entries_.erase(it->second);
    index_.erase(it);
}

void URLCache::removeAllCachedResponses() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    index_.clear();
    usage_ = 0;
}

void URLCache::evictLocked() {
    while (usage_ > memoryCapacity_ && !entries_.empty()) {
        auto& last = entries_.back();
        usage_ -= costOf(*last.second);
        index_.erase(last.first);
        entries_.pop_back();
    }
}

namespace detail {

bool isCacheable(const URLRequest& request, const Ref<URLResponse>& response) {
    auto http = std::dynamic_pointer_cast<HTTPURLResponse>(response);
    if (!http || request.httpMethod() != "GET" || http->statusCode() < 200 || http->statusCode() > 299) return false;
    auto control = http->valueForHTTPHeaderField("Cache-Control");
    return !control || !str::contains(str::lowercase(*control), "no-store");
}

} // namespace detail
} // namespace ns
