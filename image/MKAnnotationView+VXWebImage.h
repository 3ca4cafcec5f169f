#pragma once
// Map annotation views show the image at a URL, like the image view setters (fading only while
// the view is not highlighted).

#include "image/MKAnnotationView.h"
#include "image/VXWebImageManager.h"
#include "image/_VXWebImageSetter.h"

namespace VXWebImage {

ns::Ref<ns::URL> VX_imageURL(const mk::AnnotationViewRef& owner);
void setVX_imageURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url);
void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder);
void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, VXWebImageRequestOptions options);
void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageCompletionBlock completion);
void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageProgressBlock progress,
                        VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);
// The full form; a null manager is the shared one.
void VX_setImageWithURL(const mk::AnnotationViewRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager,
                        VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                        VXWebImageCompletionBlock completion);
void VX_cancelCurrentImageRequest(const mk::AnnotationViewRef& owner);

} // namespace VXWebImage
