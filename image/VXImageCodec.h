#pragma once
// The image kit's lowest layer: container types and their detection, the shared colour space, and
// plain functions on bitmaps (decoded copies, pixel buffers, warps, orientation fixes, encoding).
// Every function may be called from any thread.

#include "os/foundation/Data.h"
#include "os/graphics/AffineTransform.h"
#include "os/graphics/ColorSpace.h"
#include "os/graphics/Image.h"
#include "os/graphics/VImage.h"
#include "os/uikit/Image.h"

#include <cstddef>
#include <cstdint>

// Image container types (stored and compared as numbers).
enum VXImageType : unsigned {
    VXImageTypeUnknown = 0,
    VXImageTypeJPEG = 1,
    VXImageTypeJPEG2000 = 2,
    VXImageTypeTIFF = 3,
    VXImageTypeBMP = 4,
    VXImageTypeICO = 5, // also cursors
    VXImageTypeICNS = 6,
    VXImageTypeGIF = 7,
    VXImageTypePNG = 8, // also animated PNG
    VXImageTypeWebP = 9,
};

// The kit's pixel formats (bitmap info).
inline constexpr uint32_t VXBitmapInfoDisplay = cg::kBitmapDisplayAlpha;        // 0x2002: B,G,R,A premultiplied
inline constexpr uint32_t VXBitmapInfoDisplayOpaque = cg::kBitmapDisplayOpaque; // 0x2006: B,G,R,x
inline constexpr uint32_t VXBitmapInfoWarp = cg::ImageAlphaFirst;               // 4: A,R,G,B not premultiplied

// The type the leading bytes announce; fewer than 16 bytes (or none) is unknown.
VXImageType VXImageSniffType(const ns::DataRef& data);
VXImageType VXImageSniffType(const uint8_t* bytes, size_t length);
// The system type identifier of a type; null for unknown and WebP.
const char* VXImageTypeToUTI(VXImageType type);

// The one device-RGB colour space every bitmap of the kit is drawn in.
cg::ColorSpaceRef VXSharedDeviceRGBColorSpace();

// A copy that owns its pixels. With decodeForDisplay the copy is drawn into the display format
// (0x2002 when the source has alpha, else 0x2006); without it the source's format is kept.
cg::ImageRef VXImageCreateDecodedCopy(const cg::ImageRef& image, bool decodeForDisplay);

// Fills buffer with the image converted into 8-bit, 32-bit-per-pixel pixels of bitmapInfo (alpha
// info 1-6, byte order default, 32 little or 32 big). The caller frees buffer->data with free().
bool VXImageDecodeToBitmapBuffer(const cg::ImageRef& image, vimage::Buffer* buffer, uint32_t bitmapInfo);

// The image warped by transform (source → destination, y up) into a width × height bitmap of
// bitmapInfo; uncovered pixels are transparent.
cg::ImageRef VXImageCreateWarpedCopy(const cg::ImageRef& image, const cg::AffineTransform& transform,
                                     uint32_t bitmapInfo, double width, double height);

// The pixels turned upright for the orientation, in bitmapInfo. Up (and values outside 1-7)
// returns the very same image.
cg::ImageRef VXImageCreateOrientedCopy(const cg::ImageRef& image, ui::ImageOrientation orientation,
                                       uint32_t bitmapInfo);

// One image encoded as type at quality (clamped to 0..1); null for WebP, unknown types or failure.
ns::DataRef VXImageEncodeSingle(const cg::ImageRef& image, VXImageType type, double quality);

// No WebP codec is part of this system.
bool VXImageWebPAvailable();

// Data-provider release function for pixel buffers allocated with malloc.
void VXBitmapReleaseCallback(void* info, const void* data, size_t size);
