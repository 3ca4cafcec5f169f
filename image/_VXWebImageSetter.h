#pragma once
// The request holder of one view slot: the running operation, its URL and a sentinel that moves on
// with every new request, cancel and hand-over, so that a result of a superseded request is never
// assigned. Also the one path every view setter family member follows.

#include "image/VXWebImageManager.h"
#include "image/VXWebImageOperation.h"
#include "os/dispatch/Queue.h"
#include "os/dispatch/Semaphore.h"
#include "os/foundation/Operation.h"
#include "os/foundation/URL.h"
#include "os/quartz/Layer.h"
#include "os/uikit/Image.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The URL argument of the setters: a URL, or text read as one (nil when it is not a valid URL).
class VXWebImageURLArgument {
public:
    VXWebImageURLArgument(std::nullptr_t = nullptr) {}
    VXWebImageURLArgument(ns::Ref<ns::URL> url) : url_(std::move(url)) {}
    VXWebImageURLArgument(const char* text) : url_(text ? ns::URL::fromString(text) : nullptr) {}
    VXWebImageURLArgument(const std::string& text) : url_(ns::URL::fromString(text)) {}
    const ns::Ref<ns::URL>& url() const { return url_; }

private:
    ns::Ref<ns::URL> url_;
};

// The key of the fade transition the setters add to a layer.
inline const std::string VXWebImageFadeAnimationKey = "VXWebImageFade";

class _VXWebImageSetter : public ns::Object {
public:
    // Serial, on the default-priority global queue: where requests are made.
    static dispatch::Queue setterQueue();

    // The URL of the current request; nil after a cancel.
    ns::Ref<ns::URL> imageURL() const;
    int32_t sentinel() const { return sentinel_; }

    // Cancels the running request and starts a new one's turn; returns the new sentinel.
    int32_t cancelWithNewURL(const ns::Ref<ns::URL>& url);
    int32_t cancel() { return cancelWithNewURL(nullptr); }
    // Asks the manager for an operation and keeps it when `sentinel` is still current; returns the
    // sentinel a result of it must still find to be assigned.
    int32_t setOperationWithSentinel(int32_t sentinel, const ns::Ref<ns::URL>& url, VXWebImageRequestOptions options,
                                     const ns::Ref<VXWebImageManager>& manager, VXWebImageProgressBlock progress,
                                     VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);

    // What one member of the setter family does with its slot (on the main thread).
    struct Slot {
        ns::Ref<ns::Object> owner; // the view or layer; held weakly once the request is queued
        std::function<void(const ns::Ref<ns::Object>& owner, const ui::ImageRef& image)> assign;
        // The layer a fade goes on right now, or null (no fade for this member or state).
        std::function<ca::LayerRef(const ns::Ref<ns::Object>& owner)> fadeLayer;
    };
    // The full form of the setters: cancels the slot's request, shows a memory hit at once, else the
    // placeholder, and starts a request whose current results are assigned on the main thread.
    static void setImageWithURL(const ns::Ref<_VXWebImageSetter>& setter, const Slot& slot, const ns::Ref<ns::URL>& url,
                                const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                                ns::Ref<VXWebImageManager> manager, VXWebImageProgressBlock progress,
                                VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);

    // The setter attached to an object under a key of its member, created when absent.
    static ns::Ref<_VXWebImageSetter> setterOf(ns::Object& owner, const void* key, bool create);
    // The URL of the request of an object's member, and its cancel; nothing for a null owner.
    static ns::Ref<ns::URL> imageURLOf(ns::Object* owner, const void* key);
    static void cancelOf(ns::Object* owner, const void* key);

    _VXWebImageSetter() = default;
    ~_VXWebImageSetter() override;

private:
    dispatch::Semaphore lock_{1};
    ns::Ref<ns::URL> imageURL_;
    ns::Ref<ns::Operation> operation_;
    std::atomic<int32_t> sentinel_{0};
};
