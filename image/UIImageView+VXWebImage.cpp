#include "image/UIImageView+VXWebImage.h"

namespace VXWebImage {

namespace {

const char kImageSetterKey = 0;
const char kHighlightedImageSetterKey = 0;

ui::ImageView& imageView(const ns::Ref<ns::Object>& owner) { return static_cast<ui::ImageView&>(*owner); }

_VXWebImageSetter::Slot imageSlot(const ui::ImageViewRef& view) {
    return {view, [](const ns::Ref<ns::Object>& owner, const ui::ImageRef& image) { imageView(owner).setImage(image); },
            [](const ns::Ref<ns::Object>& owner) -> ca::LayerRef {
                return imageView(owner).isHighlighted() ? nullptr : imageView(owner).layer();
            }};
}

_VXWebImageSetter::Slot highlightedSlot(const ui::ImageViewRef& view) {
    return {view,
            [](const ns::Ref<ns::Object>& owner, const ui::ImageRef& image) { imageView(owner).setHighlightedImage(image); },
            [](const ns::Ref<ns::Object>& owner) -> ca::LayerRef {
                return imageView(owner).isHighlighted() ? imageView(owner).layer() : nullptr;
            }};
}

} // namespace

ns::Ref<ns::URL> VX_imageURL(const ui::ImageViewRef& view) {
    return _VXWebImageSetter::imageURLOf(view.get(), &kImageSetterKey);
}

void setVX_imageURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url) {
    VX_setImageWithURL(view, url, nullptr, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder) {
    VX_setImageWithURL(view, url, placeholder, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, VXWebImageRequestOptions options) {
    VX_setImageWithURL(view, url, nullptr, options, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(view, url, placeholder, options, nullptr, nullptr, nullptr, std::move(completion));
}

void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageProgressBlock progress,
                        VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(view, url, placeholder, options, nullptr, std::move(progress), std::move(transform),
                       std::move(completion));
}

void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager,
                        VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                        VXWebImageCompletionBlock completion) {
    if (!view) return;
    _VXWebImageSetter::setImageWithURL(_VXWebImageSetter::setterOf(*view, &kImageSetterKey, true), imageSlot(view),
                                       url.url(), placeholder, options, manager, std::move(progress),
                                       std::move(transform), std::move(completion));
}

void VX_cancelCurrentImageRequest(const ui::ImageViewRef& view) {
    _VXWebImageSetter::cancelOf(view.get(), &kImageSetterKey);
}

ns::Ref<ns::URL> VX_highlightedImageURL(const ui::ImageViewRef& view) {
    return _VXWebImageSetter::imageURLOf(view.get(), &kHighlightedImageSetterKey);
}

void setVX_highlightedImageURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url) {
    VX_setHighlightedImageWithURL(view, url, nullptr, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder) {
    VX_setHighlightedImageWithURL(view, url, placeholder, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   VXWebImageRequestOptions options) {
    VX_setHighlightedImageWithURL(view, url, nullptr, options, nullptr, nullptr, nullptr, nullptr);
}

void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                                   VXWebImageCompletionBlock completion) {
    VX_setHighlightedImageWithURL(view, url, placeholder, options, nullptr, nullptr, nullptr, std::move(completion));
}

void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                                   VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                                   VXWebImageCompletionBlock completion) {
    VX_setHighlightedImageWithURL(view, url, placeholder, options, nullptr, std::move(progress), std::move(transform),
                                  std::move(completion));
}

void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                                   const ns::Ref<VXWebImageManager>& manager, VXWebImageProgressBlock progress,
                                   VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion) {
    if (!view) return;
    _VXWebImageSetter::setImageWithURL(_VXWebImageSetter::setterOf(*view, &kHighlightedImageSetterKey, true),
                                       highlightedSlot(view), url.url(), placeholder, options, manager,
                                       std::move(progress), std::move(transform), std::move(completion));
}

void VX_cancelCurrentHighlightedImageRequest(const ui::ImageViewRef& view) {
    _VXWebImageSetter::cancelOf(view.get(), &kHighlightedImageSetterKey);
}

} // namespace VXWebImage
