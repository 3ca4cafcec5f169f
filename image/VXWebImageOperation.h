#pragma once
// Fetches one image for one URL request: the image cache first, else a download on the shared
// network thread (with optional plain or blurred partial images), a decode on a decode queue, and
// one final completion (or a cancellation). An asynchronous operation reporting its state keys.

#include "image/VXImageCache.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Error.h"
#include "os/foundation/Operation.h"
#include "os/foundation/Thread.h"
#include "os/foundation/URL.h"
#include "os/net/URLConnection.h"
#include "os/net/URLRequest.h"
#include "os/uikit/Application.h"
#include "os/uikit/Image.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

class VXImageDecoder;

// Where a delivered image came from.
enum VXWebImageOrigin : long {
    VXWebImageOriginNone = 0,
    VXWebImageOriginMemoryImmediate = 1, // found in memory by a view setter before any operation
    VXWebImageOriginMemory = 2,
    VXWebImageOriginDisk = 3,
    VXWebImageOriginNetwork = 4,
};

enum VXWebImagePhase : long {
    VXWebImagePhasePartial = -1, // a partial image while downloading; more calls follow
    VXWebImagePhaseCancelled = 0,
    VXWebImagePhaseDone = 1, // the final result (image or error); no call follows
};

// Behaviour bits; the same value passes from the view setters through the manager to the operation.
using VXWebImageRequestOptions = uint64_t;
enum : VXWebImageRequestOptions {
    VXWebImageOptionNetworkIndicator = 0x1,
    VXWebImageOptionPartialDisplay = 0x2,
    VXWebImageOptionBlurredPartialDisplay = 0x4, // progressive JPEG and interlaced PNG only
    VXWebImageOptionURLCache = 0x8,              // the URL cache is used, the image cache not read
    VXWebImageOptionTrustAnyServer = 0x10,
    VXWebImageOptionBackgroundTask = 0x20,
    VXWebImageOptionCookies = 0x40,
    VXWebImageOptionReload = 0x80, // the image cache is not read; undecodable bytes are still stored
    VXWebImageOptionMemoryOnly = 0x100,
    VXWebImageOptionNoPlaceholder = 0x200,
    VXWebImageOptionNoDisplayDecode = 0x400,
    VXWebImageOptionFirstFrameOnly = 0x800,
    VXWebImageOptionFade = 0x1000,
    VXWebImageOptionNoAutoSet = 0x2000,
    VXWebImageOptionFailedURLList = 0x4000,
};

using VXWebImageProgressBlock = std::function<void(int64_t receivedSize, int64_t expectedSize)>;
using VXWebImageTransformBlock = std::function<ui::ImageRef(const ui::ImageRef& image, const ns::Ref<ns::URL>& url)>;
using VXWebImageCompletionBlock =
    std::function<void(const ui::ImageRef& image, const ns::Ref<ns::URL>& url, VXWebImageOrigin from,
                       VXWebImagePhase phase, const ns::Ref<ns::Error>& error)>;

inline constexpr const char* VXWebImageErrorDomain = "com.tandrel.webimage";
inline constexpr const char* VXImageErrorDomain = "com.tandrel.image";

class VXWebImageOperation : public ns::Operation, public ns::URLConnectionDelegate {
public:
    // Null for a null request. A nil cache key becomes the request URL's absolute string.
    // The completion runs on the network thread (or on the thread releasing a running operation).
    static ns::Ref<VXWebImageOperation> initWithRequest(const ns::Ref<ns::URLRequest>& request,
                                                        VXWebImageRequestOptions options,
                                                        const ns::Ref<VXImageCache>& cache,
                                                        std::optional<std::string> cacheKey,
                                                        VXWebImageProgressBlock progress,
                                                        VXWebImageTransformBlock transform,
                                                        VXWebImageCompletionBlock completion);
    // Not allowed: raises "VXWebImageOperation init error".
    static ns::Ref<VXWebImageOperation> init();

    const ns::Ref<ns::URLRequest>& request() const { return request_; }
    const ns::Ref<VXImageCache>& cache() const { return cache_; }
    const std::optional<std::string>& cacheKey() const { return cacheKey_; }
    VXWebImageRequestOptions options() const { return options_; }
    bool shouldUseCredentialStorage() const;
    void setShouldUseCredentialStorage(bool use);
    ns::Ref<ns::URLCredential> credential() const;
    void setCredential(ns::Ref<ns::URLCredential> credential);

    void start() override;
    void cancel() override;
    bool isExecuting() const override;
    bool isFinished() const override;
    bool isCancelled() const override;
    bool isConcurrent() const { return true; }
    bool isAsynchronous() const override { return true; }
    std::string description() const override;

    // The one thread all loads run on, and the next decode queue (handed out in turn).
    static ns::Ref<ns::Thread> _networkThread();
    static dispatch::Queue _imageQueue();

    // Whether a URL is in the process-wide list of URLs that failed for lasting reasons.
    static bool isURLInFailedList(const ns::Ref<ns::URL>& url);

    // Connection callbacks (network thread).
    bool shouldUseCredentialStorage(const ns::Ref<ns::URLConnection>& connection) override;
    void willSendRequestForAuthenticationChallenge(const ns::Ref<ns::URLConnection>& connection,
                                                   const ns::Ref<ns::URLAuthenticationChallenge>& challenge) override;
    ns::Ref<ns::CachedURLResponse> willCacheResponse(const ns::Ref<ns::URLConnection>& connection,
                                                     const ns::Ref<ns::CachedURLResponse>& cachedResponse) override;
    void didReceiveResponse(const ns::Ref<ns::URLConnection>& connection, const ns::Ref<ns::URLResponse>& response) override;
    void didReceiveData(const ns::Ref<ns::URLConnection>& connection, const ns::DataRef& data) override;
    void didFinishLoading(const ns::Ref<ns::URLConnection>& connection) override;
    void didFailWithError(const ns::Ref<ns::URLConnection>& connection, const ns::Ref<ns::Error>& error) override;

    VXWebImageOperation() = default; // use initWithRequest
    ~VXWebImageOperation() override;

private:
    void _startOperation();
    void _startRequest();
    void _didReceiveImageFromDiskCache(const ui::ImageRef& image);
    void _didReceiveImageFromWeb(const ui::ImageRef& image);
    void _cancelOperation();
    void _finish();
    void _endBackgroundTask();
    void decodeFinalImage();
    void showPartialImage(const ns::DataRef& chunk);

    // Steps queued on the network thread keep the operation alive until they run.
    void performOnNetworkThread(void (VXWebImageOperation::*step)());
    // The state fields, with their key-value notifications when they change (lock held).
    void changeExecuting(bool executing);
    void changeFinished(bool finished);
    void changeCancelled(bool cancelled);
    bool usesNetworkIndicator() const;
    void call(const ui::ImageRef& image, VXWebImageOrigin from, VXWebImagePhase phase, const ns::Ref<ns::Error>& error);

    ns::Ref<ns::URLRequest> request_;
    ns::Ref<VXImageCache> cache_;
    std::optional<std::string> cacheKey_;
    VXWebImageRequestOptions options_ = 0;
    VXWebImageProgressBlock progress_;
    VXWebImageTransformBlock transform_;
    VXWebImageCompletionBlock completion_;

    mutable std::recursive_mutex lock_;
    bool shouldUseCredentialStorage_ = true;
    ns::Ref<ns::URLCredential> credential_;
    bool executing_ = false, finished_ = false, cancelled_ = false, started_ = false;
    ns::Ref<ns::URLConnection> connection_;
    ns::MutableDataRef data_;
    int64_t expectedSize_ = 0;
    ui::BackgroundTaskIdentifier taskID_ = ui::BackgroundTaskInvalid;
    bool taskRequested_ = false; // a begin is on its way to the main thread

    ns::Ref<VXImageDecoder> progressiveDecoder_;
    bool progressiveIgnored_ = false;
    bool progressiveDetected_ = false;
    size_t progressiveScanedLength_ = 0;
    unsigned progressiveDisplayCount_ = 0;
    double lastProgressiveDecodeTimestamp_ = 0;
};
