#include "image/CALayer+VXWebImage.h"

namespace VXWebImage {

namespace {

const char kSetterKey = 0;

_VXWebImageSetter::Slot slotOf(const ca::LayerRef& layer) {
    return {layer,
            [](const ns::Ref<ns::Object>& owner, const ui::ImageRef& image) {
                static_cast<ca::Layer&>(*owner).setContents(image ? image->CGImage() : nullptr);
            },
            [](const ns::Ref<ns::Object>& owner) { return std::static_pointer_cast<ca::Layer>(owner); }};
}

} // namespace

ns::Ref<ns::URL> VX_imageURL(const ca::LayerRef& owner) {
    return _VXWebImageSetter::imageURLOf(owner.get(), &kSetterKey);
}

void setVX_imageURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url) {
    VX_setImageWithURL(owner, url, nullptr, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder) {
    VX_setImageWithURL(owner, url, placeholder, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, VXWebImageRequestOptions options) {
    VX_setImageWithURL(owner, url, nullptr, options, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(owner, url, placeholder, options, nullptr, nullptr, nullptr, std::move(completion));
}

void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageProgressBlock progress,
                        VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(owner, url, placeholder, options, nullptr, std::move(progress), std::move(transform),
                       std::move(completion));
}

void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager,
                        VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                        VXWebImageCompletionBlock completion) {
    if (!owner) return;
    _VXWebImageSetter::setImageWithURL(_VXWebImageSetter::setterOf(*owner, &kSetterKey, true), slotOf(owner), url.url(),
                                       placeholder, options, manager, std::move(progress), std::move(transform),
                                       std::move(completion));
}

void VX_cancelCurrentImageRequest(const ca::LayerRef& owner) {
    _VXWebImageSetter::cancelOf(owner.get(), &kSetterKey);
}

} // namespace VXWebImage
