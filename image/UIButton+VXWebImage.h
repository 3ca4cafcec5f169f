#pragma once
// Buttons show the image or background image at a URL per control state: a state made of several
// bits is split into single states (highlighted, disabled, selected; normal when none of the low
// eight bits is set), each with a request of its own. No fade.

#include "image/VXWebImageManager.h"
#include "image/_VXWebImageSetter.h"
#include "os/uikit/Button.h"

namespace VXWebImage {

// --- Image ---
ns::Ref<ns::URL> VX_imageURLForState(const ui::ButtonRef& button, unsigned state);
void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder);
void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, VXWebImageRequestOptions options);
void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageCompletionBlock completion);
void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
          VXWebImageCompletionBlock completion);
// The full form; a null manager is the shared one.
void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager, VXWebImageProgressBlock progress,
          VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);
void VX_cancelImageRequestForState(const ui::ButtonRef& button, unsigned state);

// --- Background image ---
ns::Ref<ns::URL> VX_backgroundImageURLForState(const ui::ButtonRef& button, unsigned state);
void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder);
void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, VXWebImageRequestOptions options);
void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageCompletionBlock completion);
void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
          VXWebImageCompletionBlock completion);
// The full form; a null manager is the shared one.
void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager, VXWebImageProgressBlock progress,
          VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion);
void VX_cancelBackgroundImageRequestForState(const ui::ButtonRef& button, unsigned state);

} // namespace VXWebImage
