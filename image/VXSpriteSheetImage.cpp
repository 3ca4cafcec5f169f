#include "image/VXSpriteSheetImage.h"

#include <cmath>

ns::Ref<VXSpriteSheetImage> VXSpriteSheetImage::initWithSpriteSheetImage(const ui::ImageRef& image,
                                                                         const std::vector<cg::Rect>& contentRects,
                                                                         const std::vector<double>& frameDurations,
                                                                         size_t loopCount) {
    if (!image || !image->CGImage() || contentRects.empty() || contentRects.size() != frameDurations.size())
        return nullptr;
    auto sheet = ns::make<VXSpriteSheetImage>();
    if (!sheet->initWithCGImage(image->CGImage(), image->scale(), image->imageOrientation())) return nullptr;
    sheet->contentRects_ = contentRects;
    sheet->frameDurations_ = frameDurations;
    sheet->loopCount_ = loopCount;
    return sheet;
}

cg::Rect VXSpriteSheetImage::contentsRectForCALayerAtIndex(size_t index) const {
    const cg::Rect unit = cg::UnitRect;
    const cg::Size size = this->size();
    if (index >= contentRects_.size() || !(size.width > 0.01) || !(size.height > 0.01)) return unit;
    cg::Rect rect = contentRects_[index];
    rect.origin.x /= size.width;
    rect.size.width /= size.width;
    rect.origin.y /= size.height;
    rect.size.height /= size.height;
    // A rectangle with a NaN or infinite side is no rectangle of the sheet.
    if (!std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y) || !std::isfinite(rect.size.width) ||
        !std::isfinite(rect.size.height))
        return unit;
    rect = cg::RectIntersection(rect, unit);
    if (cg::RectIsNull(rect) || cg::RectIsEmpty(rect)) return unit;
    return rect;
}

ui::ImageRef VXSpriteSheetImage::animatedImageFrameAtIndex(size_t index) { return ref<VXSpriteSheetImage>(); }

double VXSpriteSheetImage::animatedImageDurationAtIndex(size_t index) const {
    return index < frameDurations_.size() ? frameDurations_[index] : 0;
}

cg::Rect VXSpriteSheetImage::animatedImageContentsRectAtIndex(size_t index) const {
    return index < contentRects_.size() ? contentRects_[index] : cg::RectZero;
}
