#pragma once
// What the image kit adds to the platform image: a display-ready copy, the mark saying an image is
// already decoded, the bytes for storing an image, and saving to the photo album.

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/foundation/URL.h"
#include "os/uikit/Image.h"

#include <functional>

namespace VXImageCoder {

// An image whose bitmap is already in the display format: the image itself when it is marked,
// has no bitmap or cannot be copied; otherwise a new image of the same class, marked.
ui::ImageRef VX_imageByDecoded(const ui::ImageRef& image);

// YES for images holding two or more animation images and for sprite sheets; else the mark.
bool VX_isDecodedForDisplay(const ui::ImageRef& image);
void setVX_isDecodedForDisplay(const ui::ImageRef& image, bool decoded);

// Bytes for storing the image: an animated image's own data, else PNG (bitmaps with alpha) or
// JPEG at 0.9 of the upright bitmap.
ns::DataRef VX_imageDataRepresentation(const ui::ImageRef& image);

// Writes the image to the saved-photos album off the calling thread; completion (may be empty)
// runs on the main thread with the asset's URL or the error.
using SaveCompletion = std::function<void(const ns::Ref<ns::URL>& assetURL, const ns::Ref<ns::Error>& error)>;
void VX_saveToAlbumWithCompletionBlock(const ui::ImageRef& image, SaveCompletion completion);

} // namespace VXImageCoder
