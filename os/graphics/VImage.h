#pragma once
// Pixel-buffer routines: buffers, format conversion, (un)premultiply, affine warp, box convolve,
// colour matrix and reflections on 8-bit, 4-channel pixels. Errors are the platform's values.

#include "os/graphics/AffineTransform.h"
#include "os/graphics/ColorSpace.h"
#include "os/graphics/Image.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vimage {

struct Buffer {
    void* data = nullptr;
    size_t height = 0;
    size_t width = 0;
    size_t rowBytes = 0;
};

using Error = ssize_t;

enum Flags : uint32_t {
    NoFlags = 0,
    LeaveAlphaUnchanged = 1,
    BackgroundColorFill = 4,
    EdgeExtend = 8,
    GetTempBufferSize = 128,
    PrintDiagnosticsToConsole = 256,
    NoAllocate = 512,
};
inline Flags operator|(Flags a, Flags b) { return static_cast<Flags>(static_cast<uint32_t>(a) | b); }

inline constexpr Error NoError = 0;
inline constexpr Error RoiLargerThanInputBuffer = -21766;
inline constexpr Error InvalidKernelSize = -21767;
inline constexpr Error InvalidEdgeStyle = -21768;
inline constexpr Error InvalidOffsetX = -21769;
inline constexpr Error InvalidOffsetY = -21770;
inline constexpr Error MemoryAllocationError = -21771;
inline constexpr Error NullPointerArgument = -21772;
inline constexpr Error InvalidParameter = -21773;
inline constexpr Error BufferSizeMismatch = -21774;
inline constexpr Error UnknownFlagsBit = -21775;
inline constexpr Error InternalError = -21776;
inline constexpr Error InvalidRowBytes = -21777;
inline constexpr Error InvalidImageFormat = -21778;
inline constexpr Error OutOfPlaceOperationRequired = -21780;
inline constexpr Error InvalidImageObject = -21781;
inline constexpr Error UnsupportedConversion = -21783;

// A pixel format as images describe theirs; a null colour space means device RGB.
struct CGImageFormat {
    uint32_t bitsPerComponent = 8;
    uint32_t bitsPerPixel = 32;
    cg::ColorSpaceRef colorSpace;
    uint32_t bitmapInfo = 0;
};

// Allocates (malloc; the caller frees data with free()) height × rowBytes bytes, rows rounded up
// to 32 bytes. With NoAllocate only rowBytes is set.
Error BufferInit(Buffer* buffer, size_t height, size_t width, uint32_t bitsPerPixel, Flags flags);
// A new buffer holding the image converted into format (background: r, g, b in 0..1 for dropped
// alpha, black when null).
Error BufferInitWithCGImage(Buffer* buffer, const CGImageFormat& format, const double* background,
                            const cg::ImageRef& image, Flags flags);
// An image of the buffer in format. With NoAllocate it takes the buffer's memory, released with
// cleanup(userData, data) (free() when cleanup is null); otherwise the pixels are copied.
cg::ImageRef CreateCGImageFromBuffer(const Buffer& buffer, const CGImageFormat& format,
                                     void (*cleanup)(void* userData, void* data), void* userData,
                                     Flags flags, Error* error);

// Whether the any-to-any converter exists. Tests switch it off so that callers' fallback paths run;
// while off, Converter::CreateWithCGImageFormat fails with UnsupportedConversion.
bool converterAvailable();
void setConverterAvailable(bool available);

class Converter {
public:
    // Between any two formats DescribeFormat knows; none (and error) for others.
    static std::shared_ptr<Converter> CreateWithCGImageFormat(const CGImageFormat& src, const CGImageFormat& dst,
                                                              const double* background, Flags flags, Error* error);
    cg::PixelLayout source, destination;
    double background[3] = {0, 0, 0};
    bool hasBackground = false;
};
Error ConvertAnyToAny(const Converter& converter, const Buffer* src, const Buffer* dst, void* temp, Flags flags);

// Alpha last (R,G,B,A) and alpha first (A,R,G,B) memory orders; src may equal dst.
Error UnpremultiplyDataRGBA8888(const Buffer* src, const Buffer* dst, Flags flags);
Error UnpremultiplyDataARGB8888(const Buffer* src, const Buffer* dst, Flags flags);
Error PremultiplyDataRGBA8888(const Buffer* src, const Buffer* dst, Flags flags);
Error PremultiplyDataARGB8888(const Buffer* src, const Buffer* dst, Flags flags);

// Warp of A,R,G,B pixels (channels interpolated independently, bilinear). The transform maps SOURCE
// to DESTINATION points in y-up pixel space (origin at the bottom-left corner, pixel centres at
// half-integers). Destination pixels whose source lies outside take background (BackgroundColorFill)
// or the nearest edge pixel (EdgeExtend).
Error AffineWarpARGB8888(const Buffer* src, const Buffer* dst, void* temp, const cg::AffineTransform& transform,
                         const uint8_t background[4], Flags flags);

// Mean of a kernelWidth × kernelHeight box (both odd) around each pixel of the region of interest
// starting at (roiX, roiY) in src, rounded to nearest. Exactly one of EdgeExtend (clamped
// coordinates) or BackgroundColorFill (outside reads background). With GetTempBufferSize the
// answer is the temporary size in bytes (temp may be null: it is then allocated here).
Error BoxConvolveARGB8888(const Buffer* src, const Buffer* dst, void* temp, size_t roiX, size_t roiY,
                          uint32_t kernelHeight, uint32_t kernelWidth, const uint8_t* background, Flags flags);

// out[j] = clamp((Σ_i (in[i] + preBias[i]) · matrix[i·4 + j] + postBias[j]) / divisor), channels in
// memory order, rounded to nearest; biases may be null. src may equal dst.
Error MatrixMultiplyARGB8888(const Buffer* src, const Buffer* dst, const int16_t matrix[16], int32_t divisor,
                             const int16_t* preBias, const int32_t* postBias, Flags flags);

// Top-bottom and left-right mirror images; src may equal dst.
Error VerticalReflectARGB8888(const Buffer* src, const Buffer* dst, Flags flags);
Error HorizontalReflectARGB8888(const Buffer* src, const Buffer* dst, Flags flags);

} // namespace vimage
