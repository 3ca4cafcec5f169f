#pragma once
// Layers show the image at a URL as their contents (the bitmap), like the image view setters;
// the fade always runs on the layer itself.

#include "os/quartz/Layer.h"
#include "image/VXWebImageManager.h"
#include "image/_VXWebImageSetter.h"

namespace VXWebImage {

ns::Ref<ns::URL> VX_imageURL(const ca::LayerRef& owner);
void setVX_imageURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url);
void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder);
void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, VXWebImageRequestOptions options);
void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageCompletionBlock completion);
void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageProgressBlock progress,
                        VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);
// The full form; a null manager is the shared one.
void VX_setImageWithURL(const ca::LayerRef& owner, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager,
                        VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                        VXWebImageCompletionBlock completion);
void VX_cancelCurrentImageRequest(const ca::LayerRef& owner);

} // namespace VXWebImage
