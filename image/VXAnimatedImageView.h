#pragma once
// An image view that plays any VXAnimatedImage frame by frame on the display link, decoding
// frames ahead on one background operation into a buffer sized from the device's free memory;
// other images behave as in the platform image view.

#include "image/VXAnimatedImage.h"
#include "os/foundation/Coder.h"
#include "os/foundation/KeyValueObserving.h"
#include "os/foundation/NotificationCenter.h"
#include "os/foundation/OperationQueue.h"
#include "os/foundation/RunLoop.h"
#include "os/quartz/DisplayLink.h"
#include "os/uikit/ImageView.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class VXAnimatedImageView;
using VXAnimatedImageViewRef = ns::Ref<VXAnimatedImageView>;

class VXAnimatedImageView : public ui::ImageView, public ns::KeyValueObserving, public ns::Coding {
public:
    static VXAnimatedImageViewRef create(cg::Rect frame = cg::RectZero);
    // Placed at the origin with the size of the image (or of the highlighted image without one).
    static VXAnimatedImageViewRef withImage(const ui::ImageRef& image, const ui::ImageRef& highlightedImage = nullptr);
    void initWithFrame(cg::Rect frame) override;

    // Starts and stops by itself when the view enters or leaves a window (default YES).
    bool autoPlayAnimatedImage() const { return autoPlayAnimatedImage_; }
    void setAutoPlayAnimatedImage(bool autoPlay) { autoPlayAnimatedImage_ = autoPlay; }
    // The frame shown; observable under "currentAnimatedImageIndex".
    size_t currentAnimatedImageIndex() const;
    // Shows that frame now; ignored without an animated image, out of range or when unchanged.
    void setCurrentAnimatedImageIndex(size_t index);
    bool currentIsPlayingAnimation() const { return playing_; }
    // The main run loop mode of the display link (default the common modes).
    const ns::RunLoopMode& runloopMode() const { return runloopMode_; }
    void setRunloopMode(const ns::RunLoopMode& mode);
    // Upper bound of the frame buffer in bytes; 0 lets the view decide from memory.
    size_t maxBufferSize() const { return maxBufferSize_; }
    void setMaxBufferSize(size_t bytes) { maxBufferSize_ = bytes; }

    // Image slots; setting the value already set does nothing.
    void setImage(const ui::ImageRef& image) override;
    void setHighlightedImage(const ui::ImageRef& image) override;
    void setAnimationImages(std::vector<ui::ImageRef> images) override;
    const std::vector<ui::ImageRef>& highlightedAnimationImages() const { return highlightedAnimationImages_; }
    void setHighlightedAnimationImages(std::vector<ui::ImageRef> images);
    void setHighlighted(bool highlighted) override;

    void startAnimating() override;
    void stopAnimating() override;
    bool isAnimating() const override { return playing_; }

    // Inspection of the frame buffer: the frame indexes decoded ahead, and how many it may hold.
    std::vector<size_t> bufferedFrameIndexes() const;
    size_t maxBufferCount() const;

    // The layer shows the current frame when there is one, else the platform view's picture.
    void displayLayer(ca::Layer& layer) override;
    void didMoveToWindow() override;
    void didMoveToSuperview() override;

    // Coding: "runloopMode", "autoPlayAnimatedImage", "VXAnimatedImage", "VXHighlightedAnimatedImage".
    std::string classNameForCoder() const override { return "VXAnimatedImageView"; }
    std::vector<std::string> classHierarchyForCoder() const override {
        return {"VXAnimatedImageView", "UIImageView", "UIView", "NSObject"};
    }
    void encodeWithCoder(ns::Coder& coder) const override;
    static VXAnimatedImageViewRef initWithCoder(ns::Coder& coder);

    VXAnimatedImageView() = default;
    ~VXAnimatedImageView() override;

    struct Buffer;

private:
    enum Slot { SlotNone = 0, SlotImage = 1, SlotHighlightedImage = 2, SlotAnimationImages = 3,
                SlotHighlightedAnimationImages = 4 };

    Slot currentSlot() const;
    ui::ImageRef imageForSlot(Slot slot) const;
    void setImageForSlot(Slot slot, const std::function<void()>& set);
    void imageChanged();
    void resetAnimated();
    void computeMaxBufferCount();
    void step(ca::DisplayLink& link);
    void queueFetch();
    void setIndex(size_t index);
    void applyContentsRect(size_t index);
    void setContentsRect(cg::Rect rect);
    void autoPlay();
    void didReceiveMemoryWarning(const ns::Notification& notification);
    void didEnterBackground(const ns::Notification& notification);

    bool autoPlayAnimatedImage_ = true;
    ns::RunLoopMode runloopMode_ = ns::RunLoopCommonModes;
    size_t maxBufferSize_ = 0;
    bool playing_ = false;
    std::vector<ui::ImageRef> highlightedAnimationImages_;

    ui::ImageRef curImage_; // the animated image being played
    VXAnimatedImage* curAnimated_ = nullptr; // the same object through its protocol
    ui::ImageRef curFrame_;
    size_t totalFrameCount_ = 1;
    size_t curLoop_ = 0, totalLoop_ = 0;
    bool loopEnd_ = false;
    bool bufferMiss_ = false;
    double time_ = 0;
    bool usesContentsRect_ = false;

    std::shared_ptr<Buffer> buffer_; // shared with the fetch operations
    ns::Ref<ns::OperationQueue> requestQueue_;
    ca::DisplayLinkRef link_;
};
