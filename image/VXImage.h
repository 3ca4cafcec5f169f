#pragma once
// An image decoded from data that may be animated (GIF, APNG, multi-image files): it shows as its
// first frame and hands out further frames decoded for display.

#include "image/VXAnimatedImage.h"
#include "image/VXImageCodec.h"
#include "image/VXImageDecoder.h"
#include "os/dispatch/Semaphore.h"
#include "os/uikit/Image.h"

#include <string>
#include <vector>

class VXImage : public ui::Image, public VXAnimatedImage {
public:
    // A resource of the main bundle, tried at the scales of the main screen (preferred first) and,
    // without an extension, as "", "png", "jpeg", "jpg", "gif", "webp" and "apng".
    static ns::Ref<VXImage> imageNamed(const std::string& name);
    // The scale comes from an "@2x"-style suffix of the file name.
    static ns::Ref<VXImage> imageWithContentsOfFile(const std::string& path);
    // Null for empty data or data without a first frame; a scale of 0 or less is the screen's.
    static ns::Ref<VXImage> imageWithData(const ns::DataRef& data, double scale = 1);
    // A still image on a bitmap (no decoder).
    static ns::Ref<VXImage> imageWithCGImage(const cg::ImageRef& cgImage, double scale = 1,
                                             ui::ImageOrientation orientation = ui::ImageOrientation::Up);

    VXImageType animatedImageType() const { return animatedImageType_; }
    // The decoder's data; null when the image kept no decoder (a still image).
    ns::DataRef animatedImageData() const;
    // Frame count × bytes per frame.
    size_t animatedImageMemorySize() const { return animatedImageMemorySize_; }
    // YES decodes every frame now and keeps them; NO drops them.
    bool preloadAllAnimatedImageFrames() const { return preloadAllAnimatedImageFrames_; }
    void setPreloadAllAnimatedImageFrames(bool preload);

    // VXAnimatedImage
    size_t animatedImageFrameCount() const override;
    size_t animatedImageLoopCount() const override;
    size_t animatedImageBytesPerFrame() const override { return bytesPerFrame_; }
    ui::ImageRef animatedImageFrameAtIndex(size_t index) override;
    double animatedImageDurationAtIndex(size_t index) const override;

    // Coding: "VXImageScale" and "VXImageData" when there is data, else the platform image's keys.
    std::string classNameForCoder() const override { return "VXImage"; }
    std::vector<std::string> classHierarchyForCoder() const override { return {"VXImage", "UIImage", "NSObject"}; }
    void encodeWithCoder(ns::Coder& coder) const override;
    static ns::Ref<VXImage> initWithCoder(ns::Coder& coder);

    VXImage() = default;

private:
    bool initWithAnimatedData(const ns::DataRef& data, double scale);

    VXImageType animatedImageType_ = VXImageTypeUnknown;
    ns::Ref<VXImageDecoder> decoder_; // kept only for two or more frames
    size_t bytesPerFrame_ = 0;
    size_t animatedImageMemorySize_ = 0;
    bool preloadAllAnimatedImageFrames_ = false;
    dispatch::Semaphore preloadedLock_{1};
    std::vector<ui::ImageRef> preloadedFrames_; // null entries: frames that could not be made
};

// The scale a file path names with an "@<number>x" suffix before its extension; 1 without one.
double VXImageScaleFromPath(const std::string& path);
