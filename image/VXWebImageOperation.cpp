#include "image/VXWebImageOperation.h"

#include "image/UIImage+VXWebImage.h"
#include "image/VXImage.h"
#include "image/VXImageCodec.h"
#include "image/VXImageCoder.h"
#include "image/VXImageDecoder.h"
#include "image/VXWebImageManager.h"
#include "os/foundation/ResetRegistry.h"
#include "os/graphics/Context.h"
#include "os/imageio/ImageProperties.h"
#include "os/net/URLResponse.h"
#include "os/quartz/MediaTime.h"
#include "os/uikit/Device.h"
#include "os/uikit/Screen.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <vector>

namespace {

const std::string kIsExecuting = "isExecuting";
const std::string kIsFinished = "isFinished";
const std::string kIsCancelled = "isCancelled";

// The connection keeps its delegate; this stand-in keeps the operation only weakly, and answers
// nil or zero once the operation is gone.
class _VXWebImageWeakProxy : public ns::URLConnectionDelegate {
public:
    explicit _VXWebImageWeakProxy(ns::Weak<VXWebImageOperation> target) : target_(std::move(target)) {}
    static std::shared_ptr<_VXWebImageWeakProxy> proxyWithTarget(const ns::Ref<VXWebImageOperation>& target) {
        return std::make_shared<_VXWebImageWeakProxy>(target);
    }

    void didReceiveResponse(const ns::Ref<ns::URLConnection>& c, const ns::Ref<ns::URLResponse>& r) override {
        if (auto t = target_.lock()) t->didReceiveResponse(c, r);
    }
    void didReceiveData(const ns::Ref<ns::URLConnection>& c, const ns::DataRef& d) override {
        if (auto t = target_.lock()) t->didReceiveData(c, d);
    }
    void didFinishLoading(const ns::Ref<ns::URLConnection>& c) override {
        if (auto t = target_.lock()) t->didFinishLoading(c);
    }
    void didFailWithError(const ns::Ref<ns::URLConnection>& c, const ns::Ref<ns::Error>& e) override {
        if (auto t = target_.lock()) t->didFailWithError(c, e);
    }
    void willSendRequestForAuthenticationChallenge(const ns::Ref<ns::URLConnection>& c,
                                                   const ns::Ref<ns::URLAuthenticationChallenge>& ch) override {
        if (auto t = target_.lock()) t->willSendRequestForAuthenticationChallenge(c, ch);
    }
    ns::Ref<ns::CachedURLResponse> willCacheResponse(const ns::Ref<ns::URLConnection>& c,
                                                     const ns::Ref<ns::CachedURLResponse>& r) override {
        auto t = target_.lock();
        return t ? t->willCacheResponse(c, r) : nullptr;
    }
    bool shouldUseCredentialStorage(const ns::Ref<ns::URLConnection>& c) override {
        auto t = target_.lock();
        return t ? t->shouldUseCredentialStorage(c) : false;
    }

private:
    ns::Weak<VXWebImageOperation> target_;
};

// --- Process-wide state ---

// URLs that failed for lasting reasons; only ever added to (a reset hook stands for a restart).
struct FailedURLList {
    std::mutex lock;
    std::set<std::string> urls;
};

FailedURLList& failedURLs() {
    static auto* list = [] {
        auto* l = new FailedURLList();
        ns::ResetRegistry::add("image.VXWebImageOperation.failedURLs", [l] {
            std::lock_guard guard(l->lock);
            l->urls.clear();
        });
        return l;
    }();
    return *list;
}

void addFailedURL(const ns::Ref<ns::URL>& url) {
    if (!url) return;
    auto& list = failedURLs();
    std::lock_guard guard(list.lock);
    list.urls.insert(url->absoluteString());
}

// Codes of failures that say nothing about the URL itself.
bool isPassingFailure(long code) {
    return code == ns::URLErrorNotConnectedToInternet || code == ns::URLErrorCancelled ||
           code == ns::URLErrorTimedOut || code == ns::URLErrorUserCancelledAuthentication ||
           code == ns::URLErrorNetworkConnectionLost;
}

ns::Ref<ns::Error> blacklistedError() {
    return ns::Error::make(ns::URLErrorDomain, ns::URLErrorFileDoesNotExist, "Failed to load URL, blacklisted.");
}

// Background tasks belong to the application, which lives on the main thread.
void onMain(std::function<void()> work) {
    if (ns::RunLoop::isMainThread()) work();
    else dispatch::async(dispatch::Queue::main(), std::move(work));
}

double screenScale() { return ui::Screen::mainScreen().scale(); }

// Whether the bottom-right pixel of a partial image has arrived: its alpha, through a 1×1
// premultiplied alpha-first context that the image is drawn into with that pixel at the origin.
bool bottomRightPixelArrived(const cg::ImageRef& bitmap) {
    auto context = cg::Context::CreateBitmap(nullptr, 1, 1, 8, 0, VXSharedDeviceRGBColorSpace(),
                                             cg::ImageAlphaPremultipliedFirst);
    if (!context || !context->data()) return true;
    const double width = static_cast<double>(bitmap->width());
    const double height = static_cast<double>(bitmap->height());
    context->DrawImage(cg::RectMake(1 - width, 0, width, height), bitmap);
    return static_cast<const uint8_t*>(context->data())[0] != 0;
}

} // namespace

// --- Creation ---

ns::Ref<VXWebImageOperation> VXWebImageOperation::initWithRequest(const ns::Ref<ns::URLRequest>& request,
                                                                  VXWebImageRequestOptions options,
                                                                  const ns::Ref<VXImageCache>& cache,
                                                                  std::optional<std::string> cacheKey,
                                                                  VXWebImageProgressBlock progress,
                                                                  VXWebImageTransformBlock transform,
                                                                  VXWebImageCompletionBlock completion) {
    if (!request) return nullptr;
    auto operation = ns::make<VXWebImageOperation>();
    operation->request_ = request;
    operation->options_ = options;
    operation->cache_ = cache;
    if (!cacheKey && request->url()) cacheKey = request->url()->absoluteString();
    operation->cacheKey_ = std::move(cacheKey);
    operation->progress_ = std::move(progress);
    operation->transform_ = std::move(transform);
    operation->completion_ = std::move(completion);
    return operation;
}

ns::Ref<VXWebImageOperation> VXWebImageOperation::init() {
    throw ns::Exception("VXWebImageOperation init error",
                        "VXWebImageOperation must be initialized with a request. Use the designated initializer to init.");
}

VXWebImageOperation::~VXWebImageOperation() {
    ns::Ref<ns::URLConnection> connection;
    {
        std::lock_guard lock(lock_);
        if (taskID_ != ui::BackgroundTaskInvalid) {
            const auto task = taskID_;
            taskID_ = ui::BackgroundTaskInvalid;
            onMain([task] { ui::Application::shared().endBackgroundTask(task); });
        }
        if (!executing_) return;
        // Nobody can observe an object being destroyed: the fields change without notifications.
        cancelled_ = true;
        finished_ = true;
        connection = std::move(connection_);
        if (connection && usesNetworkIndicator()) VXWebImageManager::decrementNetworkActivityCount();
        if (completion_)
            completion_(nullptr, request_->url(), VXWebImageOriginNone, VXWebImagePhaseCancelled, nullptr);
    }
    // Outside the lock, which the connection's callbacks take after their own.
    if (connection) connection->cancel();
}

// --- Properties ---

bool VXWebImageOperation::shouldUseCredentialStorage() const {
    std::lock_guard lock(lock_);
    return shouldUseCredentialStorage_;
}
void VXWebImageOperation::setShouldUseCredentialStorage(bool use) {
    std::lock_guard lock(lock_);
    shouldUseCredentialStorage_ = use;
}
ns::Ref<ns::URLCredential> VXWebImageOperation::credential() const {
    std::lock_guard lock(lock_);
    return credential_;
}
void VXWebImageOperation::setCredential(ns::Ref<ns::URLCredential> credential) {
    std::lock_guard lock(lock_);
    credential_ = std::move(credential);
}

bool VXWebImageOperation::isExecuting() const {
    std::lock_guard lock(lock_);
    return executing_;
}
bool VXWebImageOperation::isFinished() const {
    std::lock_guard lock(lock_);
    return finished_;
}
bool VXWebImageOperation::isCancelled() const {
    std::lock_guard lock(lock_);
    return cancelled_;
}

void VXWebImageOperation::changeExecuting(bool executing) {
    if (executing_ == executing) return;
    willChangeValueForKey(kIsExecuting);
    executing_ = executing;
    didChangeValueForKey(kIsExecuting);
}
void VXWebImageOperation::changeFinished(bool finished) {
    if (finished_ == finished) return;
    willChangeValueForKey(kIsFinished);
    finished_ = finished;
    didChangeValueForKey(kIsFinished);
}
void VXWebImageOperation::changeCancelled(bool cancelled) {
    if (cancelled_ == cancelled) return;
    willChangeValueForKey(kIsCancelled);
    cancelled_ = cancelled;
    didChangeValueForKey(kIsCancelled);
}

std::string VXWebImageOperation::description() const {
    std::lock_guard lock(lock_);
    auto yesNo = [](bool b) { return std::string(b ? "YES" : "NO"); };
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "<" + className() + ": " + address + " " + " executing:" + yesNo(executing_) + " finished:" + yesNo(finished_) +
           " cancelled:" + yesNo(cancelled_) + ">";
}

// --- Shared thread and queues ---

ns::Ref<ns::Thread> VXWebImageOperation::_networkThread() {
    static auto* thread = [] {
        // Runs its loop for the life of the process, in a mode it owns.
        auto* t = new ns::Ref<ns::Thread>(ns::Thread::create("com.tandrel.webimage.request", [] {
            const ns::RunLoopMode mode = ns::DefaultRunLoopMode;
            for (;;) ns::RunLoop::current().run(mode);
        }));
        (*t)->setQualityOfService(ns::QualityOfService::Background);
        (*t)->start();
        return t;
    }();
    return *thread;
}

dispatch::Queue VXWebImageOperation::_imageQueue() {
    static const auto* queues = [] {
        auto* list = new std::vector<dispatch::Queue>();
        const unsigned count = std::clamp(ui::Device::currentDevice().activeProcessorCount(), 1u, 16u);
        const bool qos = ui::Device::currentDevice().systemVersionAtLeast("8.0");
        for (unsigned i = 0; i < count; ++i) {
            list->push_back(qos ? dispatch::Queue::createSerial("com.tandrel.image.decode", ns::QualityOfService::Utility, 0)
                                : dispatch::Queue::createSerial("com.tandrel.image.decode",
                                                                dispatch::Queue::global(dispatch::Priority::Background)));
        }
        return list;
    }();
    static std::atomic<int32_t> counter{0};
    const int64_t current = counter.fetch_add(1) + int64_t{1}; // wraps like the 32-bit counter
    const int64_t turn = static_cast<int32_t>(current);
    return (*queues)[static_cast<size_t>(std::llabs(turn) % static_cast<int64_t>(queues->size()))];
}

bool VXWebImageOperation::isURLInFailedList(const ns::Ref<ns::URL>& url) {
    if (!url) return false;
    auto& list = failedURLs();
    std::lock_guard guard(list.lock);
    return list.urls.count(url->absoluteString()) > 0;
}

void VXWebImageOperation::performOnNetworkThread(void (VXWebImageOperation::*step)()) {
    _networkThread()->perform([self = ref<VXWebImageOperation>(), step] { ((*self).*step)(); });
}

bool VXWebImageOperation::usesNetworkIndicator() const {
    const auto& url = request_->url();
    return (options_ & VXWebImageOptionNetworkIndicator) && !(url && url->isFileURL());
}

void VXWebImageOperation::call(const ui::ImageRef& image, VXWebImageOrigin from, VXWebImagePhase phase,
                               const ns::Ref<ns::Error>& error) {
    if (completion_ && !cancelled_) completion_(image, request_->url(), from, phase, error);
}

// --- Start and cancel ---

void VXWebImageOperation::start() {
    std::lock_guard lock(lock_);
    started_ = true;
    if (cancelled_) {
        // Once only: a second start must not report the cancellation again.
        if (!finished_) {
            performOnNetworkThread(&VXWebImageOperation::_cancelOperation);
            changeFinished(true);
        }
        return;
    }
    if (!isReady() || finished_ || executing_) return;
    changeExecuting(true);
    performOnNetworkThread(&VXWebImageOperation::_startOperation);
    if ((options_ & VXWebImageOptionBackgroundTask) && VXWebImageManager::sharedApplicationAvailable() &&
        taskID_ == ui::BackgroundTaskInvalid && !taskRequested_) {
        taskRequested_ = true;
        ns::Weak<VXWebImageOperation> weak = ref<VXWebImageOperation>();
        onMain([weak] {
            auto self = weak.lock();
            if (!self) return;
            std::lock_guard mainLock(self->lock_);
            if (!self->taskRequested_) return; // ended before the main thread got here
            self->taskRequested_ = false;
            self->taskID_ = ui::Application::shared().beginBackgroundTask([weak] {
                auto expired = weak.lock();
                if (!expired) return;
                expired->cancel();
                std::lock_guard expiredLock(expired->lock_);
                expired->changeFinished(true);
            });
        });
    }
}

void VXWebImageOperation::cancel() {
    std::lock_guard lock(lock_);
    if (cancelled_) return;
    changeCancelled(true);
    if (executing_) {
        changeExecuting(false);
        performOnNetworkThread(&VXWebImageOperation::_cancelOperation);
    }
    if (started_) changeFinished(true);
}

// --- Steps on the network thread ---

void VXWebImageOperation::_startOperation() {
    if (isCancelled()) return;
    const bool readsCache = cache_ && !(options_ & (VXWebImageOptionURLCache | VXWebImageOptionReload));
    if (readsCache) {
        if (ui::ImageRef image = cache_->getImageForKey(cacheKey_, VXImageCacheTypeMemory)) {
            std::lock_guard lock(lock_);
            if (cancelled_) return;
            call(image, VXWebImageOriginMemory, VXWebImagePhaseDone, nullptr);
            _finish();
            return;
        }
        if (!(options_ & VXWebImageOptionMemoryOnly)) {
            ns::Weak<VXWebImageOperation> weak = ref<VXWebImageOperation>();
            dispatch::async(_imageQueue(), [weak] {
                auto self = weak.lock();
                if (!self || self->isCancelled()) return;
                ui::ImageRef image = self->cache_->getImageForKey(self->cacheKey_, VXImageCacheTypeDisk);
                if (image) {
                    self->cache_->setImage(image, nullptr, self->cacheKey_, VXImageCacheTypeMemory);
                    _networkThread()->perform([self, image] { self->_didReceiveImageFromDiskCache(image); });
                } else {
                    self->performOnNetworkThread(&VXWebImageOperation::_startRequest);
                }
            });
            return;
        }
    }
    performOnNetworkThread(&VXWebImageOperation::_startRequest);
}

void VXWebImageOperation::_didReceiveImageFromDiskCache(const ui::ImageRef& image) {
    std::lock_guard lock(lock_);
    if (cancelled_) return;
    if (image) {
        call(image, VXWebImageOriginDisk, VXWebImagePhaseDone, nullptr);
        _finish();
    } else {
        _startRequest();
    }
}

void VXWebImageOperation::_startRequest() {
    if (isCancelled()) return;
    const auto& url = request_->url();
    if ((options_ & VXWebImageOptionFailedURLList) && isURLInFailedList(url)) {
        std::lock_guard lock(lock_);
        if (cancelled_) return;
        call(nullptr, VXWebImageOriginNone, VXWebImagePhaseDone, blacklistedError());
        _finish();
        return;
    }
    if (url && url->isFileURL()) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(url->path(), ec);
        std::lock_guard lock(lock_);
        expectedSize_ = ec ? -1 : static_cast<int64_t>(size);
    }
    ns::Ref<ns::URLConnection> connection;
    {
        std::lock_guard lock(lock_);
        if (cancelled_) return;
        connection_ = ns::URLConnection::create(request_, _VXWebImageWeakProxy::proxyWithTarget(ref<VXWebImageOperation>()),
                                                false);
        connection = connection_;
        if (usesNetworkIndicator()) VXWebImageManager::incrementNetworkActivityCount();
    }
    // Started outside the lock: the connection's callbacks take its own lock first, then ours. A
    // cancellation meanwhile queues its step behind this one on this thread, and finds the connection.
    connection->start();
}

void VXWebImageOperation::_cancelOperation() {
    ns::Ref<ns::URLConnection> connection;
    {
        std::lock_guard lock(lock_);
        connection = std::move(connection_);
        if (connection && usesNetworkIndicator()) VXWebImageManager::decrementNetworkActivityCount();
    }
    if (connection) connection->cancel();
    if (completion_) completion_(nullptr, request_->url(), VXWebImageOriginNone, VXWebImagePhaseCancelled, nullptr);
    _endBackgroundTask();
}

void VXWebImageOperation::_finish() {
    std::lock_guard lock(lock_);
    changeExecuting(false);
    changeFinished(true);
    _endBackgroundTask();
}

void VXWebImageOperation::_endBackgroundTask() {
    std::lock_guard lock(lock_);
    taskRequested_ = false;
    if (taskID_ == ui::BackgroundTaskInvalid) return;
    const auto task = taskID_;
    taskID_ = ui::BackgroundTaskInvalid;
    onMain([task] { ui::Application::shared().endBackgroundTask(task); });
}

// --- Connection callbacks ---

bool VXWebImageOperation::shouldUseCredentialStorage(const ns::Ref<ns::URLConnection>&) {
    return shouldUseCredentialStorage();
}

void VXWebImageOperation::willSendRequestForAuthenticationChallenge(
    const ns::Ref<ns::URLConnection>&, const ns::Ref<ns::URLAuthenticationChallenge>& challenge) {
    const auto& sender = challenge->sender();
    if (!sender) return;
    const auto& space = challenge->protectionSpace();
    if (space && space->authenticationMethod() == ns::URLAuthenticationMethodServerTrust) {
        if (!(options_ & VXWebImageOptionTrustAnyServer) && sender->canPerformDefaultHandling()) {
            sender->performDefaultHandling(*challenge);
        } else {
            sender->useCredential(ns::URLCredential::credentialForTrust(space->serverTrust()), *challenge);
        }
        return;
    }
    auto userCredential = credential();
    if (challenge->previousFailureCount() != 0 || !userCredential) sender->continueWithoutCredential(*challenge);
    else sender->useCredential(userCredential, *challenge);
}

ns::Ref<ns::CachedURLResponse> VXWebImageOperation::willCacheResponse(const ns::Ref<ns::URLConnection>&,
                                                                      const ns::Ref<ns::CachedURLResponse>& cachedResponse) {
    return (options_ & VXWebImageOptionURLCache) ? cachedResponse : nullptr;
}

void VXWebImageOperation::didReceiveResponse(const ns::Ref<ns::URLConnection>& connection,
                                             const ns::Ref<ns::URLResponse>& response) {
    if (auto http = ns::as<ns::HTTPURLResponse>(response)) {
        const long status = http->statusCode();
        if (status > 399 || status == 304) {
            auto error = ns::Error::make(ns::URLErrorDomain, status);
            connection->cancel();
            didFailWithError(connection, error);
            return;
        }
    }
    std::lock_guard lock(lock_);
    const int64_t length = response ? response->expectedContentLength() : 0;
    if (length != 0) expectedSize_ = length < 0 ? -1 : length;
    data_ = ns::MutableData::make(expectedSize_ > 0 ? static_cast<size_t>(expectedSize_) : 0);
    if (progress_ && !cancelled_) progress_(0, expectedSize_);
}

void VXWebImageOperation::didReceiveData(const ns::Ref<ns::URLConnection>&, const ns::DataRef& data) {
    if (!data) return;
    {
        std::lock_guard lock(lock_);
        if (cancelled_) return;
        if (!data_) data_ = ns::MutableData::make();
        data_->append(*data);
        if (progress_ && !cancelled_) progress_(static_cast<int64_t>(data_->length()), expectedSize_);
    }
    showPartialImage(data);
}

// Partial images while the bytes arrive: plain ones at most every 0.2 s; blurred ones at most
// every 0.4 s, only for progressive JPEG (once a new scan has arrived) and interlaced PNG, and
// only once the partial image reaches its bottom-right pixel.
void VXWebImageOperation::showPartialImage(const ns::DataRef& chunk) {
    if (!completion_ || !(options_ & (VXWebImageOptionPartialDisplay | VXWebImageOptionBlurredPartialDisplay))) return;
    if (chunk->length() < 17) return;
    ns::DataRef data;
    int64_t expected;
    {
        std::lock_guard lock(lock_);
        expected = expectedSize_;
        if (expected >= 1 && static_cast<double>(chunk->length()) >= static_cast<double>(expected) * 0.99) return;
        if (progressiveIgnored_) return;
        // The decoder keeps what it is given: a snapshot, since the buffer keeps growing.
        data = ns::Data::make(data_->bytes(), data_->length());
    }
    const bool blur = (options_ & VXWebImageOptionBlurredPartialDisplay) != 0;
    const double minimumInterval[2] = {0.2, 0.4};
    const double now = ca::mediaTime();
    if (now - lastProgressiveDecodeTimestamp_ < minimumInterval[blur ? 1 : 0]) return;

    if (!progressiveDecoder_) progressiveDecoder_ = VXImageDecoder::initWithScale(screenScale());
    progressiveDecoder_->updateData(data, false);
    if (isCancelled()) return;

    const VXImageType type = progressiveDecoder_->type();
    if (type == VXImageTypeUnknown || type == VXImageTypeWebP ||
        (blur && type != VXImageTypeJPEG && type != VXImageTypePNG)) {
        progressiveDecoder_.reset();
        progressiveIgnored_ = true;
        return;
    }
    if (progressiveDecoder_->frameCount() == 0) return;

    if (!blur) {
        auto frame = progressiveDecoder_->frameAtIndex(0, true);
        if (!frame || !frame->image) return;
        std::lock_guard lock(lock_);
        if (cancelled_) return;
        call(frame->image, VXWebImageOriginNetwork, VXWebImagePhasePartial, nullptr);
        lastProgressiveDecodeTimestamp_ = now;
        return;
    }

    const size_t length = data->length();
    if (type == VXImageTypeJPEG) {
        if (!progressiveDetected_) {
            auto properties = progressiveDecoder_->framePropertiesAtIndex(0);
            const bool progressive =
                properties && (*properties)[imageio::key::JFIFDictionary][imageio::key::JFIFIsProgressive].boolValue();
            if (!progressive) {
                progressiveIgnored_ = true;
                progressiveDecoder_.reset();
                return;
            }
            progressiveDetected_ = true;
        }
        const size_t scanned = progressiveScanedLength_;
        if (length < scanned || length - scanned < 7) return;
        static const uint8_t startOfScan[2] = {0xFF, 0xDA};
        const ns::Range found = data->rangeOf(startOfScan, {scanned, length - scanned - 4});
        progressiveScanedLength_ = length;
        if (found.location == ns::Range::NotFound || isCancelled()) return;
    } else {
        if (!progressiveDetected_) {
            auto properties = progressiveDecoder_->framePropertiesAtIndex(0);
            const bool interlaced =
                properties && (*properties)[imageio::key::PNGDictionary][imageio::key::PNGInterlaceType].boolValue();
            if (!interlaced) {
                progressiveIgnored_ = true;
                progressiveDecoder_.reset();
                return;
            }
            progressiveDetected_ = true;
        }
    }

    auto frame = progressiveDecoder_->frameAtIndex(0, true);
    ui::ImageRef image = frame ? frame->image : nullptr;
    if (!image || isCancelled()) return;
    cg::ImageRef bitmap = image->CGImage();
    if (!bitmap || bitmap->width() == 0 || bitmap->height() == 0) return;
    if (!bottomRightPixelArrived(bitmap)) return;

    const unsigned count = ++progressiveDisplayCount_;
    const double radius = expected >= 1
                              ? (1.0 / (3.0 * static_cast<double>(length) / static_cast<double>(expected) + 0.6) - 0.25) * 32
                              : 32.0 / count;
    ui::ImageRef blurred = VXWebImage::VX_imageByBlurRadius(image, radius, nullptr, cg::BlendMode::Normal, 1, nullptr);
    if (!blurred) return;
    std::lock_guard lock(lock_);
    if (cancelled_) return;
    call(blurred, VXWebImageOriginNetwork, VXWebImagePhasePartial, nullptr);
    lastProgressiveDecodeTimestamp_ = now;
}

void VXWebImageOperation::didFinishLoading(const ns::Ref<ns::URLConnection>&) {
    std::lock_guard lock(lock_);
    connection_.reset();
    if (!cancelled_) {
        ns::Weak<VXWebImageOperation> weak = ref<VXWebImageOperation>();
        dispatch::async(_imageQueue(), [weak] {
            if (auto self = weak.lock()) self->decodeFinalImage();
        });
    }
    // The connection is gone, so a cancellation arriving later has nothing to lower the count for.
    if (usesNetworkIndicator()) VXWebImageManager::decrementNetworkActivityCount();
}

void VXWebImageOperation::didFailWithError(const ns::Ref<ns::URLConnection>&, const ns::Ref<ns::Error>& error) {
    std::lock_guard lock(lock_);
    if (cancelled_) return;
    call(nullptr, VXWebImageOriginNone, VXWebImagePhaseDone, error);
    connection_.reset();
    data_.reset();
    if (usesNetworkIndicator()) VXWebImageManager::decrementNetworkActivityCount();
    _finish();
    if ((options_ & VXWebImageOptionFailedURLList) && !(error && isPassingFailure(error->code())))
        addFailedURL(request_->url());
}

// --- Final decode (decode queue) ---

void VXWebImageOperation::decodeFinalImage() {
    ns::DataRef data;
    {
        std::lock_guard lock(lock_);
        data = data_;
    }
    const double scale = screenScale();
    const bool displayDecode = !(options_ & VXWebImageOptionNoDisplayDecode);
    ui::ImageRef image;
    bool animated = false;
    if (options_ & VXWebImageOptionFirstFrameOnly) {
        auto decoder = VXImageDecoder::decoderWithData(data, scale);
        auto frame = decoder ? decoder->frameAtIndex(0, displayDecode) : nullptr;
        if (frame) image = frame->image;
    } else if (auto animatedImage = VXImage::imageWithData(data, scale)) {
        animated = animatedImage->animatedImageFrameCount() > 1;
        image = displayDecode ? VXImageCoder::VX_imageByDecoded(animatedImage) : animatedImage;
    }

    // The downloaded bytes are kept for the disk only where they say more than a re-encoding of
    // the decoded image would: still JPEG and PNG, animated GIF and WebP. Without an image there
    // is nothing to re-encode, so the bytes stay (the reload option stores them as they are).
    const VXImageType type = VXImageSniffType(data);
    bool keepData = type == VXImageTypeJPEG || type == VXImageTypePNG ||
                    ((type == VXImageTypeGIF || type == VXImageTypeWebP) && animated);
    if (!image) keepData = true;
    if (isCancelled()) return;

    if (image && transform_) {
        ui::ImageRef transformed = transform_(image, request_->url());
        if (transformed != image) keepData = false;
        image = transformed;
        if (isCancelled()) return;
    }
    if (!keepData) {
        std::lock_guard lock(lock_);
        data_.reset();
    }
    _networkThread()->perform([self = ref<VXWebImageOperation>(), image] { self->_didReceiveImageFromWeb(image); });
}

void VXWebImageOperation::_didReceiveImageFromWeb(const ui::ImageRef& image) {
    std::lock_guard lock(lock_);
    if (cancelled_) return;
    if (cache_ && (image || (options_ & VXWebImageOptionReload))) {
        const VXImageCacheType type = (options_ & VXWebImageOptionMemoryOnly) ? VXImageCacheTypeMemory : VXImageCacheTypeAll;
        dispatch::async(_imageQueue(), [cache = cache_, image, data = ns::DataRef(data_), key = cacheKey_, type] {
            cache->setImage(image, data, key, type);
        });
    }
    data_.reset();

    ns::Ref<ns::Error> error;
    if (!image) {
        error = ns::Error::make(VXImageErrorDomain, -1, "Web image decode fail.");
        if (options_ & VXWebImageOptionFailedURLList) {
            if (isURLInFailedList(request_->url())) error = blacklistedError();
            else addFailedURL(request_->url());
        }
    }
    call(image, VXWebImageOriginNetwork, VXWebImagePhaseDone, error);
    _finish();
}
