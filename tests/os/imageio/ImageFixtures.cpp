#include "ImageFixtures.h"

#include "os/imageio/ImageDestination.h"

#include <cstdio>
#include <cstdlib>
#include <gif_lib.h>
#include <jpeglib.h>
#include <ostream>
#include <png.h>
#include <stdexcept>

namespace fixtures {

std::ostream& operator<<(std::ostream& os, const Rgba& p) {
    return os << "(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << "," << int(p.a) << ")";
}

bool near(const Rgba& a, const Rgba& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance &&
           std::abs(a.a - b.a) <= tolerance;
}

Rgba gradient(uint32_t x, uint32_t y) {
    return {uint8_t(x * 255 / 63), uint8_t(y * 255 / 63), uint8_t((x + y) * 2), 255};
}

cg::ImageRef makeImage(uint32_t width, uint32_t height, const PixelFunction& pixel, bool alpha) {
    std::vector<uint8_t> bytes(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba p = pixel(x, y);
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

int appendGif(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

} // namespace

std::vector<uint8_t> pngBytes(uint32_t width, uint32_t height, const PixelFunction& pixel, bool interlaced, bool alpha,
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
            const Rgba p = pixel(x, y);
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

std::vector<uint8_t> jpegBytes(uint32_t width, uint32_t height, const PixelFunction& pixel, bool progressive,
                               int orientation, bool bigEndianExif) {
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
    jpeg_set_quality(&c, 90, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    if (orientation) {
        const std::vector<uint8_t> exif = exifSegment(orientation, bigEndianExif);
        jpeg_write_marker(&c, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
    }
    std::vector<uint8_t> row(size_t(width) * 3);
    while (c.next_scanline < c.image_height) {
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba p = pixel(x, c.next_scanline);
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

std::vector<uint8_t> gifBytes(int width, int height, const std::vector<std::array<uint8_t, 3>>& palette,
                              const std::vector<GifFrame>& frames, std::optional<int> loopCount) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGif, &error);
    std::vector<GifColorType> colors(256);
    for (size_t i = 0; i < palette.size(); ++i) colors[i] = {palette[i][0], palette[i][1], palette[i][2]};
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    if (loopCount) {
        const GifByteType block[3] = {1, GifByteType(*loopCount & 0xFF), GifByteType(*loopCount >> 8)};
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        EGifPutExtensionBlock(gif, 3, block);
        EGifPutExtensionTrailer(gif);
    }
    for (const GifFrame& f : frames) {
        GraphicsControlBlock control{f.disposal, false, f.delay, f.transparent};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, nullptr);
        std::vector<uint8_t> indices = f.indices;
        for (int y = 0; y < f.height; ++y) EGifPutLine(gif, indices.data() + size_t(y) * f.width, f.width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

size_t find(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> marker, int occurrence) {
    const std::vector<uint8_t> m(marker);
    for (size_t i = 0; i + m.size() <= bytes.size(); ++i)
        if (std::equal(m.begin(), m.end(), bytes.begin() + ptrdiff_t(i)) && occurrence-- == 0) return i;
    return SIZE_MAX;
}

} // namespace fixtures
