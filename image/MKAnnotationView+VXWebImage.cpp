#include "image/MKAnnotationView+VXWebImage.h"

namespace VXWebImage {

namespace {

const char kSetterKey = 0;

mk::AnnotationView& annotationView(const ns::Ref<ns::Object>& owner) { return static_cast<mk::AnnotationView&>(*owner); }

_VXWebImageSetter::Slot slotOf(const mk::AnnotationViewRef& view) {
    return {view,
            [](const ns::Ref<ns::Object>& owner, const ui::ImageRef& image) { annotationView(owner).setImage(image); },
            [](const ns::Ref<ns::Object>& owner) -> ca::LayerRef {
                return annotationView(owner).isHighlighted() ? nullptr : annotationView(owner).layer();
            }};
}

} // namespace

ns::Ref<ns::URL> VX_imageURL(const mk::AnnotationViewRef& owner) {
    return _VXWebImageSetter::imageURLOf(owner.get(), &kSetterKey);
}

void setVX_imageURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url) {
    VX_setImageWithURL(owner, url, nullptr, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder) {
    VX_setImageWithURL(owner, url, placeholder, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, VXWebImageRequestOptions options) {
    VX_setImageWithURL(owner, url, nullptr, options, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(owner, url, placeholder, options, nullptr, nullptr, nullptr, std::move(completion));
}

void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageProgressBlock progress,
                        VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(owner, url, placeholder, options, nullptr, std::move(progress), std::move(transform),
                       std::move(completion));
}

void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager,
                        VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                        VXWebImageCompletionBlock completion) {
    if (!owner) return;
    _VXWebImageSetter::setImageWithURL(_VXWebImageSetter::setterOf(*owner, &kSetterKey, true), slotOf(owner), url.url(),
                                       placeholder, options, manager, std::move(progress), std::move(transform),
                                       std::move(completion));
}

void VX_cancelCurrentImageRequest(const mk::AnnotationViewRef& owner) {
    _VXWebImageSetter::cancelOf(owner.get(), &kSetterKey);
}

} // namespace VXWebImage
