#include "ImageBytes.h"

#include "os/graphics/ColorSpace.h"
#include "os/graphics/DataProvider.h"
#include "os/graphics/PixelFormat.h"
#include "os/imageio/ImageDestination.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace imagebytes {

std::ostream& operator<<(std::ostream& os, const Rgba& p) {
    return os << "(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << "," << int(p.a) << ")";
}

bool near(const Rgba& a, const Rgba& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance &&
           std::abs(a.a - b.a) <= tolerance;
}

cg::ImageRef makeImage(uint32_t width, uint32_t height, const Pixels& pixels, bool alpha) {
    std::vector<uint8_t> bytes(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba p = pixels(x, y);
            uint8_t* out = &bytes[(size_t(y) * width + x) * 4];
            out[0] = p.r, out[1] = p.g, out[2] = p.b, out[3] = alpha ? p.a : 0xFF;
        }
    return cg::Image::Create(width, height, 8, 32, size_t(width) * 4, cg::ColorSpace::CreateDeviceRGB(),
                             alpha ? cg::ImageAlphaLast : cg::ImageAlphaNoneSkipLast,
                             cg::DataProvider::CreateWithCFData(ns::Data::make(std::move(bytes))));
}

Rgba pixelAt(const cg::ImageRef& image, uint32_t x, uint32_t y) {
    cg::PixelLayout rgba;
    rgba.r = 0, rgba.g = 1, rgba.b = 2, rgba.a = 3;
    uint8_t out[4];
    const uint8_t* in = image->bytes() + size_t(y) * image->bytesPerRow() + size_t(x) * image->layout().bytesPerPixel;
    cg::ConvertPixels(in, 4, image->layout(), out, 4, rgba, 1, 1);
    return {out[0], out[1], out[2], out[3]};
}

ns::DataRef dataOf(const std::vector<uint8_t>& bytes, size_t length) {
    return ns::Data::make(bytes.data(), std::min(length, bytes.size()));
}

ns::DataRef encode(const cg::ImageRef& image, const char* type, const imageio::Properties& frame) {
    auto data = ns::MutableData::make();
    auto destination = imageio::ImageDestination::CreateWithData(data, type, 1);
    if (!destination) return nullptr;
    destination->AddImage(image, &frame);
    return destination->Finalize() ? ns::Data::make(data->bytes(), data->length()) : nullptr;
}

namespace {

void appendPng(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

int appendGif(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

std::vector<uint8_t> exifSegment(int orientation, bool bigEndian) {
    std::vector<uint8_t> s = {'E', 'x', 'i', 'f', 0, 0};
    auto u16 = [&](int v) {
        if (bigEndian) s.insert(s.end(), {uint8_t(v >> 8), uint8_t(v)});
        else s.insert(s.end(), {uint8_t(v), uint8_t(v >> 8)});
    };
    auto u32 = [&](int v) {
        if (bigEndian) u16(v >> 16), u16(v & 0xFFFF);
        else u16(v & 0xFFFF), u16(v >> 16);
    };
    s.insert(s.end(), bigEndian ? std::initializer_list<uint8_t>{'M', 'M'} : std::initializer_list<uint8_t>{'I', 'I'});
    u16(42);
    u32(8);
    u16(2); // two entries: ImageDescription first, then Orientation
    u16(0x010E), u16(2), u32(1), u32(0);
    u16(0x0112), u16(3), u32(1), u16(orientation), u16(0);
    u32(0);
    return s;
}

} // namespace

std::vector<uint8_t> png(uint32_t width, uint32_t height, const Pixels& pixels, bool alpha, bool interlaced,
                         int compressionLevel) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("png write failed");
    png_set_write_fn(png, &out, appendPng, nullptr);
    if (compressionLevel >= 0) png_set_compression_level(png, compressionLevel);
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int channels = alpha ? 4 : 3;
    std::vector<std::vector<uint8_t>> rows(height, std::vector<uint8_t>(size_t(width) * channels));
    std::vector<png_bytep> pointers;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba p = pixels(x, y);
            const uint8_t v[4] = {p.r, p.g, p.b, p.a};
            std::copy(v, v + channels, &rows[y][size_t(x) * channels]);
        }
        pointers.push_back(rows[y].data());
    }
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> jpeg(uint32_t width, uint32_t height, const Pixels& pixels, bool progressive, int exifOrientation,
                          bool bigEndianExif, int quality) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    if (exifOrientation) {
        const std::vector<uint8_t> exif = exifSegment(exifOrientation, bigEndianExif);
        jpeg_write_marker(&c, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
    }
    std::vector<uint8_t> row(size_t(width) * 3);
    while (c.next_scanline < c.image_height) {
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba p = pixels(x, c.next_scanline);
            row[x * 3] = p.r, row[x * 3 + 1] = p.g, row[x * 3 + 2] = p.b;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

std::vector<uint8_t> gif(int width, int height, const std::vector<std::array<uint8_t, 3>>& palette,
                         const std::vector<GifFrame>& frames, std::optional<int> loopCount) {
    int bits = 1;
    while ((size_t(1) << bits) < palette.size() && bits < 8) ++bits;
    std::vector<GifColorType> colors(size_t(1) << bits);
    for (size_t i = 0; i < palette.size() && i < colors.size(); ++i)
        colors[i] = {palette[i][0], palette[i][1], palette[i][2]};

    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, appendGif, &error);
    ColorMapObject* map = GifMakeMapObject(int(colors.size()), colors.data());
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, bits, 0, map);
    if (loopCount) {
        const GifByteType block[3] = {1, GifByteType(*loopCount & 0xFF), GifByteType(*loopCount >> 8)};
        EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(file, 11, "NETSCAPE2.0");
        EGifPutExtensionBlock(file, 3, block);
        EGifPutExtensionTrailer(file);
    }
    for (const GifFrame& f : frames) {
        GraphicsControlBlock control{f.disposal, false, f.delay, f.transparent};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(file, f.left, f.top, f.width, f.height, false, nullptr);
        std::vector<uint8_t> indices = f.indices;
        for (int y = 0; y < f.height; ++y) EGifPutLine(file, indices.data() + size_t(y) * f.width, f.width);
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return out;
}

} // namespace imagebytes
