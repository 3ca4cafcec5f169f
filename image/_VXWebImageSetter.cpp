#include "image/_VXWebImageSetter.h"

#include "os/foundation/RunLoop.h"
#include "os/quartz/Animation.h"

#include <mutex>
#include <vector>

namespace {

// The sentinel a relay compares against is known only once the hand-over returns; results that
// arrive earlier wait here, in order, and go to the main queue as soon as it is known.
class SentinelGate {
public:
    void deliver(std::function<void(int32_t sentinel)> work) {
        std::lock_guard lock(mutex_);
        if (sentinel_) {
            post(std::move(work), *sentinel_);
            return;
        }
        pending_.push_back(std::move(work));
    }
    void open(int32_t sentinel) {
        std::lock_guard lock(mutex_);
        sentinel_ = sentinel;
        for (auto& work : pending_) post(std::move(work), sentinel);
        pending_.clear();
    }

private:
    static void post(std::function<void(int32_t)> work, int32_t sentinel) {
        dispatch::async(dispatch::Queue::main(), [work = std::move(work), sentinel] { work(sentinel); });
    }
    std::mutex mutex_;
    std::optional<int32_t> sentinel_;
    std::vector<std::function<void(int32_t)>> pending_;
};

std::mutex& attachLock() {
    static std::mutex m;
    return m;
}

} // namespace

dispatch::Queue _VXWebImageSetter::setterQueue() {
    static const dispatch::Queue queue =
        dispatch::Queue::createSerial("com.tandrel.webimage.setter", dispatch::Queue::global(dispatch::Priority::Default));
    return queue;
}

_VXWebImageSetter::~_VXWebImageSetter() {
    ++sentinel_;
    if (operation_) operation_->cancel();
}

ns::Ref<ns::URL> _VXWebImageSetter::imageURL() const {
    lock_.wait();
    auto url = imageURL_;
    lock_.signal();
    return url;
}

int32_t _VXWebImageSetter::cancelWithNewURL(const ns::Ref<ns::URL>& url) {
    lock_.wait();
    if (operation_) {
        operation_->cancel();
        operation_.reset();
    }
    imageURL_ = url;
    const int32_t sentinel = ++sentinel_;
    lock_.signal();
    return sentinel;
}

int32_t _VXWebImageSetter::setOperationWithSentinel(int32_t sentinel, const ns::Ref<ns::URL>& url,
                                                    VXWebImageRequestOptions options,
                                                    const ns::Ref<VXWebImageManager>& manager,
                                                    VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                                                    VXWebImageCompletionBlock completion) {
    if (sentinel != sentinel_) {
        if (completion) completion(nullptr, url, VXWebImageOriginNone, VXWebImagePhaseCancelled, nullptr);
        return sentinel_;
    }
    ns::Ref<VXWebImageOperation> operation =
        manager ? manager->requestImageWithURL(url, options, std::move(progress), std::move(transform), completion) : nullptr;
    if (!operation && completion) {
        completion(nullptr, url, VXWebImageOriginNone, VXWebImagePhaseDone,
                   ns::Error::make(VXWebImageErrorDomain, -1, "VXWebImageOperation create failed."));
    }
    lock_.wait();
    if (sentinel == sentinel_) {
        if (operation_) operation_->cancel();
        operation_ = operation;
        sentinel = ++sentinel_;
    } else if (operation) {
        operation->cancel();
    }
    lock_.signal();
    return sentinel;
}

ns::Ref<_VXWebImageSetter> _VXWebImageSetter::setterOf(ns::Object& owner, const void* key, bool create) {
    std::lock_guard lock(attachLock());
    auto setter = owner.associated(key).objectAs<_VXWebImageSetter>();
    if (!setter && create) {
        setter = ns::make<_VXWebImageSetter>();
        owner.setAssociated(key, ns::Value(setter));
    }
    return setter;
}

ns::Ref<ns::URL> _VXWebImageSetter::imageURLOf(ns::Object* owner, const void* key) {
    auto setter = owner ? setterOf(*owner, key, false) : nullptr;
    return setter ? setter->imageURL() : nullptr;
}

void _VXWebImageSetter::cancelOf(ns::Object* owner, const void* key) {
    if (auto setter = owner ? setterOf(*owner, key, false) : nullptr) setter->cancel();
}

void _VXWebImageSetter::setImageWithURL(const ns::Ref<_VXWebImageSetter>& setter, const Slot& slot,
                                        const ns::Ref<ns::URL>& url, const ui::ImageRef& placeholder,
                                        VXWebImageRequestOptions options, ns::Ref<VXWebImageManager> manager,
                                        VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                                        VXWebImageCompletionBlock completion) {
    if (!setter || !slot.owner) return;
    if (!manager) manager = VXWebImageManager::sharedManager();
    const int32_t sentinel = setter->cancelWithNewURL(url);

    auto onMain = [&] {
        const auto& owner = slot.owner;
        if ((options & VXWebImageOptionFade) && !(options & VXWebImageOptionNoAutoSet) && slot.fadeLayer) {
            if (auto layer = slot.fadeLayer(owner)) layer->removeAnimationForKey(VXWebImageFadeAnimationKey);
        }
        if (!url) {
            if (!(options & VXWebImageOptionNoPlaceholder)) slot.assign(owner, placeholder);
            return;
        }
        auto cache = manager->cache();
        if (cache && !(options & (VXWebImageOptionURLCache | VXWebImageOptionReload))) {
            if (ui::ImageRef image = cache->getImageForKey(manager->cacheKeyForURL(url), VXImageCacheTypeMemory)) {
                if (!(options & VXWebImageOptionNoAutoSet)) slot.assign(owner, image);
                if (completion) completion(image, url, VXWebImageOriginMemoryImmediate, VXWebImagePhaseDone, nullptr);
                return;
            }
        }
        if (!(options & VXWebImageOptionNoPlaceholder)) slot.assign(owner, placeholder);

        ns::Weak<ns::Object> weakOwner = owner;
        ns::Weak<_VXWebImageSetter> weakSetter = setter;
        auto assign = slot.assign;
        auto fadeLayer = slot.fadeLayer;
        dispatch::async(setterQueue(), [=] {
            VXWebImageProgressBlock progressRelay;
            if (progress) {
                progressRelay = [progress](int64_t received, int64_t expected) {
                    dispatch::async(dispatch::Queue::main(), [progress, received, expected] { progress(received, expected); });
                };
            }
            auto gate = std::make_shared<SentinelGate>();
            VXWebImageCompletionBlock completionRelay = [=](const ui::ImageRef& image, const ns::Ref<ns::URL>& imageURL,
                                                            VXWebImageOrigin from, VXWebImagePhase phase,
                                                            const ns::Ref<ns::Error>& error) {
                const bool setImage = image && (phase == VXWebImagePhaseDone || phase == VXWebImagePhasePartial) &&
                                      !(options & VXWebImageOptionNoAutoSet);
                gate->deliver([=](int32_t newSentinel) {
                    auto currentSetter = weakSetter.lock();
                    const bool stale = currentSetter && currentSetter->sentinel() != newSentinel;
                    auto view = weakOwner.lock();
                    if (setImage && view && !stale) {
                        if ((options & VXWebImageOptionFade) && fadeLayer) {
                            if (auto layer = fadeLayer(view)) {
                                auto transition = ca::Transition::animation();
                                transition->setDuration(phase == VXWebImagePhaseDone ? 0.2 : 0.4);
                                transition->setTimingFunction(
                                    ca::MediaTimingFunction::functionWithName(ca::kMediaTimingFunctionEaseInEaseOut));
                                transition->setType(ca::kTransitionFade);
                                layer->addAnimation(transition, VXWebImageFadeAnimationKey);
                            }
                        }
                        assign(view, image);
                    }
                    if (!completion) return;
                    if (stale) completion(nullptr, imageURL, VXWebImageOriginNone, VXWebImagePhaseCancelled, nullptr);
                    else completion(image, imageURL, from, phase, error);
                });
            };
            const int32_t newSentinel = setter->setOperationWithSentinel(sentinel, url, options, manager, progressRelay,
                                                                         transform, completionRelay);
            gate->open(newSentinel);
        });
    };
    if (ns::RunLoop::isMainThread()) onMain();
    else dispatch::sync(dispatch::Queue::main(), onMain);
}
