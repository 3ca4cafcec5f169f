#include "image/VXAnimatedImageView.h"

#include "image/VXImageCoder.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Random.h"
#include "os/quartz/Transaction.h"
#include "os/uikit/Application.h"
#include "os/uikit/Device.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

const std::string kIndexKey = "currentAnimatedImageIndex";
constexpr int64_t kMinBufferBudget = 10 * 1024 * 1024;
constexpr size_t kMaxBufferCount = 512;

const bool registered = [] {
    ns::Coding::registerClass("VXAnimatedImageView", [](ns::Coder& coder) -> ns::Ref<ns::Object> {
        return VXAnimatedImageView::initWithCoder(coder);
    });
    return true;
}();

// The image's protocol side when it has two or more frames to play.
VXAnimatedImage* animatedOf(const ui::ImageRef& image) {
    auto* animated = dynamic_cast<VXAnimatedImage*>(image.get());
    return animated && animated->animatedImageFrameCount() > 1 ? animated : nullptr;
}

// How many decoded frames fit the budget: a share of physical and free memory, at least 10 MiB,
// at most maxBufferSize when that is set; 1 to 512 frames.
size_t maxBufferCountFor(VXAnimatedImage* image, size_t maxBufferSize) {
    int64_t bytes = image ? static_cast<int64_t>(image->animatedImageBytesPerFrame()) : 0;
    if (bytes == 0) bytes = 1024;
    auto& device = ui::Device::currentDevice();
    double total = static_cast<double>(device.physicalMemory());
    double free = static_cast<double>(device.freeMemory());
    auto budget = static_cast<int64_t>(std::min(total * 0.2, free * 0.6));
    budget = std::max(budget, kMinBufferBudget);
    if (maxBufferSize > 0 && budget >= static_cast<int64_t>(maxBufferSize)) budget = static_cast<int64_t>(maxBufferSize);
    int64_t count = budget / bytes;
    return static_cast<size_t>(std::clamp<int64_t>(count, 1, kMaxBufferCount));
}

cg::Rect contentsRectFor(const ui::ImageRef& image, cg::Rect rect) {
    if (!image) return cg::UnitRect;
    cg::Size size = image->size();
    if (size.width <= 0.01 || size.height <= 0.01) return cg::UnitRect;
    cg::Rect unit = cg::RectMake(rect.origin.x / size.width, rect.origin.y / size.height, rect.size.width / size.width,
                                 rect.size.height / size.height);
    cg::Rect clipped = cg::RectIntersection(unit, cg::UnitRect);
    if (cg::RectIsNull(clipped) || cg::RectIsEmpty(clipped)) return cg::UnitRect;
    return clipped;
}

} // namespace

// Decoded frames by index (null: a frame the image could not make), shared with the fetch
// operations so that they never hold the view itself.
struct VXAnimatedImageView::Buffer {
    mutable std::mutex mutex;
    std::map<size_t, ui::ImageRef> frames;
    std::atomic<size_t> index{0}; // the frame shown
    std::atomic<size_t> total{1};
    std::atomic<int64_t> growth{0}; // frames per fetch; negative after a memory warning
    std::atomic<size_t> maxCount{1};

    // Every frame except the one after the current index goes.
    void keepOnlyNext() {
        size_t keep = (index + 1) % std::max<size_t>(total, 1);
        std::lock_guard lock(mutex);
        for (auto it = frames.begin(); it != frames.end();) it = it->first == keep ? std::next(it) : frames.erase(it);
    }
};

namespace {

// Decodes the frames ahead of the current one into the buffer.
class FetchOperation : public ns::Operation {
public:
    ns::Weak<VXAnimatedImageView> view;
    std::shared_ptr<VXAnimatedImageView::Buffer> buffer;
    size_t nextIndex = 0;
    ui::ImageRef image;
    VXAnimatedImage* animated = nullptr;
    size_t maxBufferSize = 0;

    void main() override {
        if (view.expired() || isCancelled()) return;
        int64_t growth = ++buffer->growth;
        if (growth == 0) buffer->maxCount = maxBufferCountFor(animated, maxBufferSize);
        auto maxCount = static_cast<int64_t>(buffer->maxCount.load());
        if (growth > maxCount) buffer->growth = growth = maxCount;
        int64_t count = std::max<int64_t>(growth, 1);
        size_t total = animated->animatedImageFrameCount();
        for (int64_t i = 0; i < count && total > 0; ++i) {
            size_t index = (nextIndex + static_cast<size_t>(i)) % total;
            if (isCancelled() || view.expired()) break;
            {
                std::lock_guard lock(buffer->mutex);
                if (buffer->frames.count(index)) continue;
            }
            ui::ImageRef frame = VXImageCoder::VX_imageByDecoded(animated->animatedImageFrameAtIndex(index));
            // Checked under the lock: a reset cancels before it empties the buffer, so a frame of
            // the old image never lands in the new buffer.
            std::lock_guard lock(buffer->mutex);
            if (isCancelled()) break;
            buffer->frames[index] = frame;
        }
    }
};

} // namespace

// --- Making -------------------------------------------------------------------------------------

VXAnimatedImageViewRef VXAnimatedImageView::create(cg::Rect frame) { return View::create<VXAnimatedImageView>(frame); }

VXAnimatedImageViewRef VXAnimatedImageView::withImage(const ui::ImageRef& image, const ui::ImageRef& highlightedImage) {
    const ui::ImageRef& sized = image ? image : highlightedImage;
    cg::Size size = sized ? sized->size() : cg::SizeZero;
    auto view = create(cg::RectMake(0, 0, size.width, size.height));
    view->setImage(image);
    view->setHighlightedImage(highlightedImage);
    return view;
}

void VXAnimatedImageView::initWithFrame(cg::Rect frame) {
    ImageView::initWithFrame(frame);
    buffer_ = std::make_shared<Buffer>();
    runloopMode_ = ns::RunLoopCommonModes;
    autoPlayAnimatedImage_ = true;
}

VXAnimatedImageView::~VXAnimatedImageView() {
    if (requestQueue_) requestQueue_->cancelAllOperations();
    ns::NotificationCenter::defaultCenter().removeObserver(this);
    if (link_) link_->invalidate();
}

// --- Slots --------------------------------------------------------------------------------------

void VXAnimatedImageView::setImage(const ui::ImageRef& image) {
    if (this->image() == image) return;
    setImageForSlot(SlotImage, [&] { ImageView::setImage(image); });
}

void VXAnimatedImageView::setHighlightedImage(const ui::ImageRef& image) {
    if (highlightedImage() == image) return;
    setImageForSlot(SlotHighlightedImage, [&] { ImageView::setHighlightedImage(image); });
}

void VXAnimatedImageView::setAnimationImages(std::vector<ui::ImageRef> images) {
    if (animationImages() == images) return;
    setImageForSlot(SlotAnimationImages, [&] { ImageView::setAnimationImages(std::move(images)); });
}

void VXAnimatedImageView::setHighlightedAnimationImages(std::vector<ui::ImageRef> images) {
    if (highlightedAnimationImages_ == images) return;
    setImageForSlot(SlotHighlightedAnimationImages, [&] {
        highlightedAnimationImages_ = std::move(images);
        setNeedsDisplay();
    });
}

void VXAnimatedImageView::setHighlighted(bool highlighted) {
    ImageView::setHighlighted(highlighted);
    if (link_) resetAnimated();
    imageChanged();
}

void VXAnimatedImageView::setImageForSlot(Slot, const std::function<void()>& set) {
    stopAnimating();
    if (link_) resetAnimated();
    curFrame_ = nullptr;
    set();
    imageChanged();
}

VXAnimatedImageView::Slot VXAnimatedImageView::currentSlot() const {
    if (isHighlighted()) {
        if (!highlightedAnimationImages_.empty()) return SlotHighlightedAnimationImages;
        if (highlightedImage()) return SlotHighlightedImage;
    }
    if (!animationImages().empty()) return SlotAnimationImages;
    if (image()) return SlotImage;
    return SlotNone;
}

ui::ImageRef VXAnimatedImageView::imageForSlot(Slot slot) const {
    switch (slot) {
    case SlotImage: return image();
    case SlotHighlightedImage: return highlightedImage();
    default: return nullptr;
    }
}

void VXAnimatedImageView::imageChanged() {
    ui::ImageRef image = imageForSlot(currentSlot());
    VXAnimatedImage* animated = animatedOf(image);
    if (animated && animated->implementsAnimatedImageContentsRect()) {
        usesContentsRect_ = true;
        setContentsRect(contentsRectFor(image, animated->animatedImageContentsRectAtIndex(0)));
    } else {
        if (usesContentsRect_ && !cg::RectEqualToRect(layer()->contentsRect(), cg::UnitRect)) setContentsRect(cg::UnitRect);
        usesContentsRect_ = false;
    }
    if (animated) {
        resetAnimated();
        curImage_ = image;
        curAnimated_ = animated;
        curFrame_ = image;
        totalLoop_ = animated->animatedImageLoopCount();
        totalFrameCount_ = animated->animatedImageFrameCount();
        buffer_->total = totalFrameCount_;
        computeMaxBufferCount();
    }
    setNeedsDisplay();
    autoPlay();
}

// --- Playback state -----------------------------------------------------------------------------

void VXAnimatedImageView::resetAnimated() {
    if (!link_) {
        requestQueue_ = ns::OperationQueue::create();
        requestQueue_->setMaxConcurrentOperationCount(1);
        ns::Weak<VXAnimatedImageView> weak = ref<VXAnimatedImageView>();
        // The link keeps its target; a weak capture keeps it from keeping the view.
        link_ = ca::DisplayLink::displayLinkWithTarget([weak](ca::DisplayLink& link) {
            if (auto self = weak.lock()) self->step(link);
        });
        if (!runloopMode_.empty()) link_->addToRunLoop(ns::RunLoop::main(), runloopMode_);
        link_->setPaused(true);
        auto self = ref<VXAnimatedImageView>();
        auto& center = ns::NotificationCenter::defaultCenter();
        center.addObserver(self, &VXAnimatedImageView::didReceiveMemoryWarning, ui::ApplicationDidReceiveMemoryWarningNotification);
        center.addObserver(self, &VXAnimatedImageView::didEnterBackground, ui::ApplicationDidEnterBackgroundNotification);
    }
    requestQueue_->cancelAllOperations();
    {
        std::lock_guard lock(buffer_->mutex);
        if (!buffer_->frames.empty()) {
            // Releasing many frames is slow; it happens off the main thread.
            auto old = std::make_shared<std::map<size_t, ui::ImageRef>>(std::move(buffer_->frames));
            buffer_->frames.clear();
            dispatch::async(dispatch::Queue::global(dispatch::Priority::Background), [old] { old->clear(); });
        }
    }
    link_->setPaused(true);
    time_ = 0;
    if (buffer_->index != 0) setIndex(0);
    curImage_ = nullptr;
    curAnimated_ = nullptr;
    curFrame_ = nullptr;
    curLoop_ = totalLoop_ = 0;
    totalFrameCount_ = 1;
    buffer_->total = 1;
    loopEnd_ = bufferMiss_ = false;
    buffer_->growth = 0;
}

void VXAnimatedImageView::computeMaxBufferCount() { buffer_->maxCount = maxBufferCountFor(curAnimated_, maxBufferSize_); }

size_t VXAnimatedImageView::currentAnimatedImageIndex() const { return buffer_->index; }

size_t VXAnimatedImageView::maxBufferCount() const { return buffer_->maxCount; }

std::vector<size_t> VXAnimatedImageView::bufferedFrameIndexes() const {
    std::vector<size_t> indexes;
    std::lock_guard lock(buffer_->mutex);
    for (const auto& entry : buffer_->frames) indexes.push_back(entry.first);
    return indexes;
}

void VXAnimatedImageView::setIndex(size_t index) {
    willChangeValueForKey(kIndexKey);
    buffer_->index = index;
    didChangeValueForKey(kIndexKey);
}

void VXAnimatedImageView::step(ca::DisplayLink& link) {
    if (!curImage_) return;
    if (loopEnd_) {
        stopAnimating();
        return;
    }
    size_t nextIndex = (buffer_->index + 1) % totalFrameCount_;
    if (!bufferMiss_) {
        time_ += link.duration();
        double delay = curAnimated_->animatedImageDurationAtIndex(buffer_->index);
        if (time_ < delay) return;
        time_ -= delay;
        if (nextIndex == 0) {
            ++curLoop_;
            if (totalLoop_ != 0 && curLoop_ >= totalLoop_) {
                loopEnd_ = true;
                stopAnimating();
                layer()->setNeedsDisplay();
                return;
            }
        }
        // After a stall, one frame per tick: none is skipped.
        time_ = std::min(time_, curAnimated_->animatedImageDurationAtIndex(nextIndex));
    }

    bool found = false, full = false;
    ui::ImageRef frame;
    {
        std::lock_guard lock(buffer_->mutex);
        auto it = buffer_->frames.find(nextIndex);
        if (it != buffer_->frames.end()) {
            found = true;
            frame = it->second;
            // While the buffer may not hold every frame, shown frames leave it. A negative growth
            // count (after a memory warning) counts as such: the buffer must stay small then.
            auto growth = static_cast<int32_t>(static_cast<uint32_t>(buffer_->growth.load()));
            if (growth < 0 || static_cast<size_t>(growth) < totalFrameCount_) buffer_->frames.erase(it);
            full = buffer_->frames.size() >= totalFrameCount_;
        }
    }
    bufferMiss_ = !found;
    if (found) {
        setIndex(nextIndex);
        curFrame_ = frame;
        if (usesContentsRect_) applyContentsRect(nextIndex);
        layer()->setNeedsDisplay();
    }
    if (!full && requestQueue_->operationCount() == 0) queueFetch();
}

void VXAnimatedImageView::queueFetch() {
    auto op = ns::make<FetchOperation>();
    op->view = ref<VXAnimatedImageView>();
    op->buffer = buffer_;
    op->nextIndex = (buffer_->index + 1) % totalFrameCount_;
    op->image = curImage_;
    op->animated = curAnimated_;
    op->maxBufferSize = maxBufferSize_;
    requestQueue_->addOperation(op);
}

void VXAnimatedImageView::setCurrentAnimatedImageIndex(size_t index) {
    auto change = [weak = ns::Weak<VXAnimatedImageView>(ref<VXAnimatedImageView>()), index] {
        auto self = weak.lock();
        if (!self || !self->curImage_ || index >= self->curAnimated_->animatedImageFrameCount() ||
            index == self->buffer_->index)
            return;
        self->requestQueue_->cancelAllOperations();
        {
            std::lock_guard lock(self->buffer_->mutex);
            self->buffer_->frames.clear();
        }
        self->setIndex(index);
        self->curFrame_ = self->curAnimated_->animatedImageFrameAtIndex(index);
        if (self->usesContentsRect_) self->applyContentsRect(index);
        self->time_ = 0;
        self->loopEnd_ = self->bufferMiss_ = false;
        self->layer()->setNeedsDisplay();
    };
    if (!curImage_ || index >= curAnimated_->animatedImageFrameCount() || index == buffer_->index) return;
    if (ns::RunLoop::isMainThread()) change();
    else dispatch::async(dispatch::Queue::main(), change);
}

void VXAnimatedImageView::applyContentsRect(size_t index) {
    setContentsRect(contentsRectFor(curImage_, curAnimated_->animatedImageContentsRectAtIndex(index)));
}

void VXAnimatedImageView::setContentsRect(cg::Rect rect) {
    ca::Transaction::begin();
    ca::Transaction::setDisableActions(true);
    layer()->setContentsRect(rect);
    ca::Transaction::commit();
}

// --- Starting and stopping ----------------------------------------------------------------------

void VXAnimatedImageView::startAnimating() {
    Slot slot = currentSlot();
    if (slot == SlotAnimationImages || slot == SlotHighlightedAnimationImages) {
        if (slot == SlotAnimationImages) ImageView::startAnimating();
        playing_ = true;
    } else if (curImage_ && link_ && link_->isPaused()) {
        curLoop_ = 0;
        loopEnd_ = false;
        link_->setPaused(false);
        playing_ = true;
    }
}

void VXAnimatedImageView::stopAnimating() {
    ImageView::stopAnimating();
    if (requestQueue_) requestQueue_->cancelAllOperations();
    if (link_) link_->setPaused(true);
    playing_ = false;
}

void VXAnimatedImageView::autoPlay() {
    if (!autoPlayAnimatedImage_) return;
    if (superview() && window()) startAnimating();
    else stopAnimating();
}

void VXAnimatedImageView::didMoveToWindow() {
    ImageView::didMoveToWindow();
    autoPlay();
}

void VXAnimatedImageView::didMoveToSuperview() {
    ImageView::didMoveToSuperview();
    autoPlay();
}

void VXAnimatedImageView::setRunloopMode(const ns::RunLoopMode& mode) {
    if (runloopMode_ == mode) return;
    if (link_) {
        if (!runloopMode_.empty()) link_->removeFromRunLoop(ns::RunLoop::main(), runloopMode_);
        if (!mode.empty()) link_->addToRunLoop(ns::RunLoop::main(), mode);
    }
    runloopMode_ = mode;
}

// --- Memory -------------------------------------------------------------------------------------

void VXAnimatedImageView::didReceiveMemoryWarning(const ns::Notification&) {
    requestQueue_->cancelAllOperations();
    auto buffer = buffer_;
    requestQueue_->addOperation([buffer] {
        // One frame per fetch for a while, so that not every view refills at once.
        buffer->growth = -(60 + static_cast<int64_t>(ns::Random::uniform(120)));
        buffer->keepOnlyNext();
    });
}

void VXAnimatedImageView::didEnterBackground(const ns::Notification&) {
    requestQueue_->cancelAllOperations();
    buffer_->keepOnlyNext();
}

// --- Drawing and coding -------------------------------------------------------------------------

void VXAnimatedImageView::displayLayer(ca::Layer& layer) {
    if (!curImage_) {
        ImageView::displayLayer(layer);
        return;
    }
    // A frame that could not be made leaves the contents as they were.
    if (curFrame_ && curFrame_->CGImage()) {
        layer.setContents(curFrame_->CGImage());
        layer.setContentsScale(curFrame_->scale());
    }
}

void VXAnimatedImageView::encodeWithCoder(ns::Coder& coder) const {
    coder.encodeObject(ns::Value(runloopMode_), "runloopMode");
    coder.encodeBool(autoPlayAnimatedImage_, "autoPlayAnimatedImage");
    if (animatedOf(image())) coder.encodeObject(ns::Value(image()), "VXAnimatedImage");
    if (animatedOf(highlightedImage())) coder.encodeObject(ns::Value(highlightedImage()), "VXHighlightedAnimatedImage");
}

VXAnimatedImageViewRef VXAnimatedImageView::initWithCoder(ns::Coder& coder) {
    auto view = create();
    std::string mode = coder.decodeObject("runloopMode").stringValue().value_or("");
    view->setRunloopMode(mode.empty() ? ns::RunLoopCommonModes : mode);
    view->setAutoPlayAnimatedImage(coder.containsValue("autoPlayAnimatedImage") ? coder.decodeBool("autoPlayAnimatedImage")
                                                                                : true);
    if (auto image = coder.decodeObject("VXAnimatedImage").objectAs<ui::Image>()) view->setImage(image);
    if (auto image = coder.decodeObject("VXHighlightedAnimatedImage").objectAs<ui::Image>()) view->setHighlightedImage(image);
    return view;
}
