#include "image/VXFrameImage.h"

#include "image/VXImage.h"
#include "image/VXImageCoder.h"
#include "os/uikit/Screen.h"

namespace {

ui::ImageRef decodedImageAtPath(const std::string& path) {
    const double scale = VXImageScaleFromPath(path);
    return VXImageCoder::VX_imageByDecoded(ui::Image::imageWithData(ns::Data::fromFile(path), scale));
}

ui::ImageRef decodedImageOfData(const ns::DataRef& data) {
    return VXImageCoder::VX_imageByDecoded(ui::Image::imageWithData(data, ui::Screen::mainScreen().scale()));
}

std::vector<double> repeated(double duration, size_t count) { return std::vector<double>(count, duration); }

} // namespace

ns::Ref<VXFrameImage> VXFrameImage::initWithImagePaths(const std::vector<std::string>& paths, double oneFrameDuration,
                                                       size_t loopCount) {
    return initWithImagePaths(paths, repeated(oneFrameDuration, paths.size()), loopCount);
}

ns::Ref<VXFrameImage> VXFrameImage::initWithImagePaths(const std::vector<std::string>& paths,
                                                       const std::vector<double>& frameDurations, size_t loopCount) {
    if (paths.empty() || paths.size() != frameDurations.size()) return nullptr;
    auto image = ns::make<VXFrameImage>();
    if (!image->initWithFirstImage(decodedImageAtPath(paths.front()), VXImageScaleFromPath(paths.front())))
        return nullptr;
    image->imagePaths_ = paths;
    image->frameDurations_ = frameDurations;
    image->loopCount_ = loopCount;
    return image;
}

ns::Ref<VXFrameImage> VXFrameImage::initWithImageDataArray(const std::vector<ns::DataRef>& dataArray,
                                                           double oneFrameDuration, size_t loopCount) {
    return initWithImageDataArray(dataArray, repeated(oneFrameDuration, dataArray.size()), loopCount);
}

ns::Ref<VXFrameImage> VXFrameImage::initWithImageDataArray(const std::vector<ns::DataRef>& dataArray,
                                                           const std::vector<double>& frameDurations, size_t loopCount) {
    if (dataArray.empty() || dataArray.size() != frameDurations.size()) return nullptr;
    auto image = ns::make<VXFrameImage>();
    if (!image->initWithFirstImage(decodedImageOfData(dataArray.front()), ui::Screen::mainScreen().scale()))
        return nullptr;
    image->imageDatas_ = dataArray;
    image->frameDurations_ = frameDurations;
    image->loopCount_ = loopCount;
    return image;
}

ns::Ref<VXFrameImage> VXFrameImage::imageWithCGImage(const cg::ImageRef& cgImage, double scale,
                                                     ui::ImageOrientation orientation) {
    auto image = ns::make<VXFrameImage>();
    return image->initWithCGImage(cgImage, scale, orientation) ? image : nullptr;
}

bool VXFrameImage::initWithFirstImage(const ui::ImageRef& image, double scale) {
    if (!image || !image->CGImage()) return false;
    const cg::ImageRef bitmap = image->CGImage();
    if (!initWithCGImage(bitmap, scale, ui::ImageOrientation::Up)) return false;
    oneFrameBytes_ = bitmap->bytesPerRow() * bitmap->height();
    return true;
}

size_t VXFrameImage::animatedImageFrameCount() const {
    if (!imagePaths_.empty()) return imagePaths_.size();
    if (!imageDatas_.empty()) return imageDatas_.size();
    return 1;
}

ui::ImageRef VXFrameImage::animatedImageFrameAtIndex(size_t index) {
    if (!imagePaths_.empty()) return index < imagePaths_.size() ? decodedImageAtPath(imagePaths_[index]) : nullptr;
    if (!imageDatas_.empty()) return index < imageDatas_.size() ? decodedImageOfData(imageDatas_[index]) : nullptr;
    return index == 0 ? ref<VXFrameImage>() : nullptr;
}

double VXFrameImage::animatedImageDurationAtIndex(size_t index) const {
    return index < frameDurations_.size() ? frameDurations_[index] : 0;
}
