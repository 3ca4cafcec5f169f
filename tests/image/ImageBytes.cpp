#include "ImageBytes.h"

#include "os/graphics/ColorSpace.h"
#include "os/graphics/DataProvider.h"
#include "os/graphics/PixelFormat.h"
#include "os/imageio/ImageDestination.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace imagebytes {

std::ostream& operator<<(std::ostream& os, const Rgba& p) {
    return os << "(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << "," << int(p.a) << ")";
}

bool near(const Rgba& a, const Rgba& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance &&
           std::abs(a.a - b.a) <= tolerance;
}

Pixels solid(Rgba colour) {
    return [colour](uint32_t, uint32_t) { return colour; };
}

Rgba distinct(uint32_t x, uint32_t y) { return {uint8_t(40 + x * 50), uint8_t(40 + y * 50), uint8_t(200 - x * 20), 255}; }

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

void be32(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    be32(out, uint32_t(data.size()));
    const size_t at = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    be32(out, uint32_t(crc32(0, out.data() + at, uInt(data.size() + 4))));
}

// The payloads of the IDAT chunks of a PNG.
std::vector<std::vector<uint8_t>> idatPayloads(const std::vector<uint8_t>& png) {
    std::vector<std::vector<uint8_t>> out;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
            out.emplace_back(png.begin() + ptrdiff_t(at + 8), png.begin() + ptrdiff_t(at + 8 + length));
        at += length + 12;
    }
    return out;
}

std::vector<uint8_t> exifSegment(int orientation) {
    std::vector<uint8_t> s = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1};
    s.insert(s.end(), {0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, uint8_t(orientation), 0, 0});
    s.insert(s.end(), {0, 0, 0, 0});
    return s;
}

} // namespace

std::vector<uint8_t> png(uint32_t width, uint32_t height, const Pixels& pixels, bool alpha, bool interlaced) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("png write failed");
    png_set_write_fn(png, &out, appendPng, nullptr);
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

std::vector<uint8_t> jpeg(uint32_t width, uint32_t height, const Pixels& pixels, bool progressive, int exifOrientation) {
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
    jpeg_set_quality(&c, 95, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    if (exifOrientation) {
        const std::vector<uint8_t> exif = exifSegment(exifOrientation);
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

std::vector<uint8_t> gif(int width, int height, const std::vector<GifFrame>& frames, std::optional<int> loopCount) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, appendGif, &error);
    GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, 2, 0, map);
    if (loopCount) {
        const GifByteType block[3] = {1, GifByteType(*loopCount & 0xFF), GifByteType(*loopCount >> 8)};
        EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(file, 11, "NETSCAPE2.0");
        EGifPutExtensionBlock(file, 3, block);
        EGifPutExtensionTrailer(file);
    }
    for (const GifFrame& f : frames) {
        GraphicsControlBlock control{0, false, f.delay, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(file, 0, 0, f.width, f.height, false, nullptr);
        std::vector<GifPixelType> line(size_t(f.width), f.index);
        for (int y = 0; y < f.height; ++y) EGifPutLine(file, line.data(), f.width);
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return out;
}

std::vector<uint8_t> apng(uint32_t width, uint32_t height, const std::vector<ApngFrame>& frames, const ApngOptions& options) {
    std::vector<uint8_t> out = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    be32(ihdr, width);
    be32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    std::vector<uint8_t> actl;
    be32(actl, options.acTLFrameCount.value_or(uint32_t(frames.size())));
    be32(actl, options.loops);
    chunk(out, "acTL", actl);
    if (!options.firstFrameIsDefault)
        for (const auto& payload : idatPayloads(png(width, height, options.defaultImage))) chunk(out, "IDAT", payload);

    uint32_t sequence = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const ApngFrame& f = frames[i];
        std::vector<uint8_t> fctl;
        be32(fctl, sequence++);
        be32(fctl, f.width);
        be32(fctl, f.height);
        be32(fctl, f.x);
        be32(fctl, f.y);
        fctl.insert(fctl.end(), {uint8_t(f.delayNumerator >> 8), uint8_t(f.delayNumerator),
                                 uint8_t(f.delayDenominator >> 8), uint8_t(f.delayDenominator), f.dispose, f.blend});
        chunk(out, "fcTL", fctl);
        for (const auto& payload : idatPayloads(png(f.width, f.height, f.pixels))) {
            if (i == 0 && options.firstFrameIsDefault) {
                chunk(out, "IDAT", payload);
            } else {
                std::vector<uint8_t> fdat;
                be32(fdat, sequence++);
                fdat.insert(fdat.end(), payload.begin(), payload.end());
                chunk(out, "fdAT", fdat);
            }
        }
    }
    chunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> encoded(const cg::ImageRef& image, const char* uti) {
    auto data = ns::MutableData::make();
    auto destination = imageio::ImageDestination::CreateWithData(data, uti, 1);
    if (!destination) return {};
    destination->AddImage(image);
    if (!destination->Finalize()) return {};
    return std::vector<uint8_t>(data->bytes(), data->bytes() + data->length());
}

} // namespace imagebytes
