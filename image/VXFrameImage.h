#pragma once
// An animated image played from a list of image files or of encoded images, one frame each; it
// shows as its first frame.

#include "image/VXAnimatedImage.h"
#include "os/foundation/Data.h"
#include "os/uikit/Image.h"

#include <string>
#include <vector>

class VXFrameImage : public ui::Image, public VXAnimatedImage {
public:
    // Null for an empty list, a list and durations of different lengths, or a first item that
    // does not decode. Paths take their scale from "@2x"-style names; data the main screen's.
    static ns::Ref<VXFrameImage> initWithImagePaths(const std::vector<std::string>& paths, double oneFrameDuration,
                                                    size_t loopCount);
    static ns::Ref<VXFrameImage> initWithImagePaths(const std::vector<std::string>& paths,
                                                    const std::vector<double>& frameDurations, size_t loopCount);
    static ns::Ref<VXFrameImage> initWithImageDataArray(const std::vector<ns::DataRef>& dataArray,
                                                        double oneFrameDuration, size_t loopCount);
    static ns::Ref<VXFrameImage> initWithImageDataArray(const std::vector<ns::DataRef>& dataArray,
                                                        const std::vector<double>& frameDurations, size_t loopCount);
    // A one-frame image on a bitmap.
    static ns::Ref<VXFrameImage> imageWithCGImage(const cg::ImageRef& cgImage, double scale = 1,
                                                  ui::ImageOrientation orientation = ui::ImageOrientation::Up);

    // VXAnimatedImage
    size_t animatedImageFrameCount() const override;
    size_t animatedImageLoopCount() const override { return loopCount_; }
    size_t animatedImageBytesPerFrame() const override { return oneFrameBytes_; }
    ui::ImageRef animatedImageFrameAtIndex(size_t index) override;
    double animatedImageDurationAtIndex(size_t index) const override;

    VXFrameImage() = default;

private:
    bool initWithFirstImage(const ui::ImageRef& image, double scale);

    std::vector<std::string> imagePaths_;
    std::vector<ns::DataRef> imageDatas_;
    std::vector<double> frameDurations_;
    size_t loopCount_ = 0;
    size_t oneFrameBytes_ = 0;
};
