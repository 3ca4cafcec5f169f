#pragma once
// Property keys, type identifiers and status values shared by image sources and destinations.

#include "os/foundation/Value.h"

namespace imageio {

// Property dictionaries are plain value trees; nested format dictionaries sit under "{GIF}", "{PNG}", ...
using Properties = ns::Dictionary;

namespace key {
inline constexpr const char* FileSize = "FileSize";
inline constexpr const char* PixelWidth = "PixelWidth";
inline constexpr const char* PixelHeight = "PixelHeight";
inline constexpr const char* Depth = "Depth";
inline constexpr const char* ColorModel = "ColorModel";
inline constexpr const char* HasAlpha = "HasAlpha";
inline constexpr const char* Orientation = "Orientation";

inline constexpr const char* GIFDictionary = "{GIF}";
inline constexpr const char* GIFLoopCount = "LoopCount";
inline constexpr const char* GIFDelayTime = "DelayTime";
inline constexpr const char* GIFUnclampedDelayTime = "UnclampedDelayTime";
inline constexpr const char* GIFHasGlobalColorMap = "HasGlobalColorMap";

inline constexpr const char* JFIFDictionary = "{JFIF}";
inline constexpr const char* JFIFIsProgressive = "IsProgressive";

inline constexpr const char* PNGDictionary = "{PNG}";
inline constexpr const char* PNGInterlaceType = "InterlaceType";

inline constexpr const char* TIFFDictionary = "{TIFF}";
inline constexpr const char* TIFFOrientation = "Orientation";

// Options of a source and of an added image.
inline constexpr const char* SourceShouldCache = "kCGImageSourceShouldCache";
// The image is wanted for display now: it comes in the display pixel order (B,G,R,A premultiplied
// or B,G,R,x, in 32-bit little-endian words), written so by the codec where it can.
inline constexpr const char* SourceShouldCacheImmediately = "kCGImageSourceShouldCacheImmediately";
inline constexpr const char* DestinationLossyCompressionQuality = "kCGImageDestinationLossyCompressionQuality";
} // namespace key

namespace colormodel {
inline constexpr const char* RGB = "RGB";
inline constexpr const char* Gray = "Gray";
inline constexpr const char* CMYK = "CMYK";
} // namespace colormodel

namespace uti {
inline constexpr const char* JPEG = "public.jpeg";
inline constexpr const char* JPEG2000 = "public.jpeg-2000";
inline constexpr const char* TIFF = "public.tiff";
inline constexpr const char* BMP = "com.microsoft.bmp";
inline constexpr const char* ICO = "com.microsoft.ico";
inline constexpr const char* AppleICNS = "com.apple.icns";
inline constexpr const char* GIF = "com.compuserve.gif";
inline constexpr const char* PNG = "public.png";
} // namespace uti

// How far a source got with its bytes (the platform's values).
enum class Status : int {
    UnexpectedEOF = -5, // final data ended inside the image
    InvalidData = -4,   // the bytes break the format
    UnknownType = -3,   // no reader recognises the bytes
    ReadingHeader = -2, // not enough bytes yet for the first image's header
    Incomplete = -1,    // headers read, more bytes expected
    Complete = 0,
};

} // namespace imageio
