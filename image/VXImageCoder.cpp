#include "image/VXImageCoder.h"

#include "image/VXFrameImage.h"
#include "image/VXImage.h"
#include "image/VXImageCodec.h"
#include "image/VXSpriteSheetImage.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Thread.h"
#include "os/foundation/Value.h"
#include "os/uikit/PhotoAlbum.h"

namespace VXImageCoder {

namespace {

const char kDecodedForDisplayKey = 0;

// A new image of the receiver's own class on the bitmap.
ui::ImageRef imageOfSameClass(const ui::ImageRef& image, const cg::ImageRef& bitmap) {
    if (ns::as<VXImage>(image)) return VXImage::imageWithCGImage(bitmap, image->scale(), image->imageOrientation());
    if (ns::as<VXFrameImage>(image))
        return VXFrameImage::imageWithCGImage(bitmap, image->scale(), image->imageOrientation());
    return ui::Image::imageWithCGImage(bitmap, image->scale(), image->imageOrientation());
}

// Storage wants every animated image's own data; the album only GIF and PNG data.
ns::DataRef dataRepresentation(const ui::ImageRef& image, bool forSystem) {
    if (!image) return nullptr;
    if (auto animated = ns::as<VXImage>(image)) {
        if (ns::DataRef data = animated->animatedImageData()) {
            const VXImageType type = animated->animatedImageType();
            if (!forSystem || type == VXImageTypeGIF || type == VXImageTypePNG) return data;
        }
    }
    ns::DataRef data;
    if (cg::ImageRef bitmap = image->CGImage()) {
        if (image->imageOrientation() != ui::ImageOrientation::Up)
            bitmap = VXImageCreateOrientedCopy(bitmap, image->imageOrientation(), bitmap->bitmapInfo());
        if (bitmap) {
            auto upright = ui::Image::imageWithCGImage(bitmap);
            data = cg::AlphaInfoHasAlpha(bitmap->alphaInfo()) ? ui::ImagePNGRepresentation(upright)
                                                              : ui::ImageJPEGRepresentation(upright, 0.9);
        }
    }
    if (!data) data = ui::ImagePNGRepresentation(image);
    return data;
}

} // namespace

ui::ImageRef VX_imageByDecoded(const ui::ImageRef& image) {
    if (!image || VX_isDecodedForDisplay(image) || !image->CGImage()) return image;
    cg::ImageRef copy = VXImageCreateDecodedCopy(image->CGImage(), true);
    if (!copy) return image;
    ui::ImageRef decoded = imageOfSameClass(image, copy);
    if (!decoded) decoded = image;
    setVX_isDecodedForDisplay(decoded, true);
    return decoded;
}

bool VX_isDecodedForDisplay(const ui::ImageRef& image) {
    if (!image) return false;
    if (image->images().size() >= 2) return true;
    if (ns::as<VXSpriteSheetImage>(image)) return true;
    return image->associated(&kDecodedForDisplayKey).boolValue();
}

void setVX_isDecodedForDisplay(const ui::ImageRef& image, bool decoded) {
    if (image) image->setAssociated(&kDecodedForDisplayKey, ns::Value(decoded));
}

ns::DataRef VX_imageDataRepresentation(const ui::ImageRef& image) { return dataRepresentation(image, false); }

void VX_saveToAlbumWithCompletionBlock(const ui::ImageRef& image, SaveCompletion completion) {
    dispatch::async(dispatch::Queue::global(dispatch::Priority::Default), [image, completion] {
        ns::DataRef data = dataRepresentation(image, true);
        ui::PhotoAlbum::shared().writeImageDataToSavedPhotosAlbum(
            data, {}, [completion](const ns::Ref<ns::URL>& assetURL, const ns::Ref<ns::Error>& error) {
                if (!completion) return;
                if (ns::Thread::isMainThread()) completion(assetURL, error);
                else dispatch::async(dispatch::Queue::main(), [completion, assetURL, error] { completion(assetURL, error); });
            });
    });
}

} // namespace VXImageCoder
