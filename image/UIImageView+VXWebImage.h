#pragma once
// Image views show the image at a URL: the previous request of the slot is cancelled, a memory hit
// shows at once, else the placeholder until the download arrives. The normal and the highlighted
// image are separate slots. Call from any thread; views change on the main thread only.

#include "image/VXWebImageManager.h"
#include "image/_VXWebImageSetter.h"
#include "os/uikit/ImageView.h"

namespace VXWebImage {

// --- Normal image ---
ns::Ref<ns::URL> VX_imageURL(const ui::ImageViewRef& view);
void setVX_imageURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url);
void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder);
void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, VXWebImageRequestOptions options);
void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageCompletionBlock completion);
void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, VXWebImageProgressBlock progress,
                        VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);
// The full form; a null manager is the shared one.
void VX_setImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url, const ui::ImageRef& placeholder,
                        VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager,
                        VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                        VXWebImageCompletionBlock completion);
void VX_cancelCurrentImageRequest(const ui::ImageViewRef& view);

// --- Highlighted image (fades only while the view is highlighted) ---
ns::Ref<ns::URL> VX_highlightedImageURL(const ui::ImageViewRef& view);
void setVX_highlightedImageURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url);
void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder);
void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   VXWebImageRequestOptions options);
void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                                   VXWebImageCompletionBlock completion);
void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                                   VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
                                   VXWebImageCompletionBlock completion);
void VX_setHighlightedImageWithURL(const ui::ImageViewRef& view, const VXWebImageURLArgument& url,
                                   const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                                   const ns::Ref<VXWebImageManager>& manager, VXWebImageProgressBlock progress,
                                   VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);
void VX_cancelCurrentHighlightedImageRequest(const ui::ImageViewRef& view);

} // namespace VXWebImage
