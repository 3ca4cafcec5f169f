#pragma once
// Turns a URL into a running VXWebImageOperation: builds the request (time-out, header fields,
// cookie and cache policies), the cache key and the credential, then queues or starts it. Also
// keeps the process-wide count of running loads behind the network activity indicator.

#include "image/VXImageCache.h"
#include "image/VXWebImageOperation.h"
#include "os/foundation/OperationQueue.h"
#include "os/foundation/Timer.h"
#include "os/foundation/URL.h"
#include "os/foundation/Value.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

// The pending indicator update: running loads (may go below 0) and the timer that applies them.
// Changed on the main thread only; the count may be read from any thread.
class _VXWebImageApplicationNetworkIndicatorInfo : public ns::Object {
public:
    std::atomic<int64_t> count{0};
    ns::Ref<ns::Timer> timer;
};

class VXWebImageManager : public ns::Object {
public:
    using HeadersFilter = std::function<ns::Dictionary(const ns::Ref<ns::URL>& url, const ns::Dictionary& headers)>;
    using CacheKeyFilter = std::function<std::string(const ns::Ref<ns::URL>& url)>;

    // The shared image cache and a background operation queue (a reset hook drops it).
    static ns::Ref<VXWebImageManager> sharedManager();
    // Not allowed: raises "VXWebImageManager init error".
    static ns::Ref<VXWebImageManager> init();
    // Time-out 15 s, one header "Accept: image/*;q=0.8"; a nil queue starts operations at once.
    static ns::Ref<VXWebImageManager> initWithCache(const ns::Ref<VXImageCache>& cache,
                                                    const ns::Ref<ns::OperationQueue>& queue);

    ns::Ref<VXImageCache> cache() const;
    void setCache(ns::Ref<VXImageCache> cache);
    ns::Ref<ns::OperationQueue> queue() const;
    void setQueue(ns::Ref<ns::OperationQueue> queue);
    // Used when a request brings no transform of its own.
    VXWebImageTransformBlock sharedTransformBlock() const;
    void setSharedTransformBlock(VXWebImageTransformBlock block);
    double timeout() const;
    void setTimeout(double seconds);
    // With both set, each operation gets a credential for them.
    std::optional<std::string> username() const;
    void setUsername(std::optional<std::string> username);
    std::optional<std::string> password() const;
    void setPassword(std::optional<std::string> password);
    ns::Dictionary headers() const;
    void setHeaders(ns::Dictionary headers);
    HeadersFilter headersFilter() const;
    void setHeadersFilter(HeadersFilter filter);
    CacheKeyFilter cacheKeyFilter() const;
    void setCacheKeyFilter(CacheKeyFilter filter);

    // The operation, queued or already started; null when it cannot be created.
    ns::Ref<VXWebImageOperation> requestImageWithURL(const ns::Ref<ns::URL>& url, VXWebImageRequestOptions options,
                                                     VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                                                     VXWebImageCompletionBlock completion);
    // Nil for a nil URL.
    std::optional<ns::Dictionary> headersForURL(const ns::Ref<ns::URL>& url) const;
    std::optional<std::string> cacheKeyForURL(const ns::Ref<ns::URL>& url) const;

    // The indicator follows the count 1/30 s later (main thread); nothing without an application.
    static void incrementNetworkActivityCount();
    static void decrementNetworkActivityCount();
    static int64_t currentNetworkActivityCount();
    static ns::Ref<_VXWebImageApplicationNetworkIndicatorInfo> _networkIndicatorInfo();
    static void _setNetworkIndicatorInfo(const ns::Ref<_VXWebImageApplicationNetworkIndicatorInfo>& info);
    // False inside an app extension; decided once per process (a reset hook forgets it).
    static bool sharedApplicationAvailable();

    VXWebImageManager() = default; // use initWithCache

private:
    static void _changeNetworkActivityCount(int64_t delta);
    static void _delaySetActivity(ns::Timer& timer);

    mutable std::mutex lock_;
    ns::Ref<VXImageCache> cache_;
    ns::Ref<ns::OperationQueue> queue_;
    VXWebImageTransformBlock sharedTransformBlock_;
    double timeout_ = 15;
    std::optional<std::string> username_, password_;
    ns::Dictionary headers_;
    HeadersFilter headersFilter_;
    CacheKeyFilter cacheKeyFilter_;
};
