// ImageSource decoding of PNG, JPEG and GIF against the raw library decoding the same bytes into
// the same format (8-bit RGBA rows). Prints the ratio of each pair at the end.

#include "bench/RawDecode.h" // first: it must compile on its own
#include "bench/BenchRatio.h"
#include "os/imageio/ImageDestination.h"
#include "os/imageio/ImageSource.h"

#include <benchmark/benchmark.h>
#include <csetjmp>
#include <cstring>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace {

// A photo-like picture: smooth gradients with a little noise.
cg::ImageRef picture(uint32_t width, uint32_t height, bool alpha) {
    std::vector<uint8_t> bytes(size_t(width) * height * 4);
    uint32_t noise = 7;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1664525 + 1013904223;
            uint8_t* p = &bytes[(size_t(y) * width + x) * 4];
            p[0] = uint8_t(x * 255 / width + (noise >> 28));
            p[1] = uint8_t(y * 255 / height + (noise >> 29));
            p[2] = uint8_t((x + y) * 127 / (width + height) + 64);
            p[3] = alpha ? uint8_t(255 - (x * 64 / width)) : 255;
        }
    return cg::Image::Create(width, height, 8, 32, size_t(width) * 4, cg::ColorSpace::CreateDeviceRGB(),
                             alpha ? cg::ImageAlphaLast : cg::ImageAlphaNoneSkipLast,
                             cg::DataProvider::CreateWithCFData(ns::Data::make(std::move(bytes))));
}

ns::DataRef encoded(const cg::ImageRef& image, const char* type, double quality = 0.9) {
    auto data = ns::MutableData::make();
    auto destination = imageio::ImageDestination::CreateWithData(data, type, 1);
    const imageio::Properties properties{{imageio::key::DestinationLossyCompressionQuality, quality}};
    destination->AddImage(image, &properties);
    if (!destination->Finalize()) std::abort();
    return ns::Data::make(data->bytes(), data->length());
}

const ns::DataRef& pngData() {
    static const ns::DataRef data = encoded(picture(512, 512, true), imageio::uti::PNG);
    return data;
}
const ns::DataRef& jpegData() {
    static const ns::DataRef data = encoded(picture(512, 512, false), imageio::uti::JPEG);
    return data;
}
const ns::DataRef& gifData() {
    static const ns::DataRef data = encoded(picture(256, 256, false), imageio::uti::GIF);
    return data;
}

void decodeWithSource(benchmark::State& state, const ns::DataRef& data) {
    for (auto _ : state) {
        auto source = imageio::ImageSource::CreateWithData(data);
        auto image = source->CreateImageAtIndex(0);
        if (!image) std::abort();
        benchmark::DoNotOptimize(image->bytes());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data->length()));
}

// --- The libraries alone ------------------------------------------------------------------

bool rawPng(const ns::Data& data, std::vector<uint8_t>& pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    rawdecode::Reader reader{data.bytes(), data.length()};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, rawdecode::readPng);
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const uint32_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    pixels.assign(size_t(width) * height * 4, 0);
    for (uint32_t y = 0; y < height; ++y) rows.push_back(pixels.data() + size_t(y) * width * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool rawJpeg(const ns::Data& data, std::vector<uint8_t>& pixels) {
    return rawdecode::jpeg(data.bytes(), data.length(), JCS_EXT_RGBA, pixels);
}

bool rawGif(const ns::Data& data, std::vector<uint8_t>& pixels) {
    rawdecode::Reader reader{data.bytes(), data.length()};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, rawdecode::readGif, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) return false;
    const SavedImage& frame = gif->SavedImages[0];
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(gif, 0, &control);
    const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    const int width = gif->SWidth, height = gif->SHeight;
    pixels.assign(size_t(width) * height * 4, 0);
    // Whole 32-bit R,G,B,A pixels from a 256-entry table; transparent and missing entries stay 0.
    uint32_t table[256] = {};
    for (int i = 0; i < map->ColorCount && i < 256; ++i)
        if (i != control.TransparentColor)
            table[i] = 0xFF000000u | uint32_t(map->Colors[i].Blue) << 16 | uint32_t(map->Colors[i].Green) << 8 |
                       map->Colors[i].Red;
    const GifImageDesc& d = frame.ImageDesc;
    auto* canvas = reinterpret_cast<uint32_t*>(pixels.data());
    const int rows = std::min(d.Height, height - d.Top), columns = std::min(d.Width, width - d.Left);
    for (int y = 0; y < rows; ++y) {
        const GifByteType* in = frame.RasterBits + size_t(y) * d.Width;
        uint32_t* out = canvas + size_t(y + d.Top) * width + d.Left;
        for (int x = 0; x < columns; ++x) out[x] = table[in[x]];
    }
    DGifCloseFile(gif, &error);
    return true;
}

void decodeRaw(benchmark::State& state, const ns::DataRef& data, bool (*decode)(const ns::Data&, std::vector<uint8_t>&)) {
    for (auto _ : state) {
        std::vector<uint8_t> pixels;
        if (!decode(*data, pixels)) std::abort();
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data->length()));
}

void Png_ImageSource(benchmark::State& state) { decodeWithSource(state, pngData()); }
void Png_libpng(benchmark::State& state) { decodeRaw(state, pngData(), rawPng); }
void Jpeg_ImageSource(benchmark::State& state) { decodeWithSource(state, jpegData()); }
void Jpeg_libjpeg(benchmark::State& state) { decodeRaw(state, jpegData(), rawJpeg); }
void Gif_ImageSource(benchmark::State& state) { decodeWithSource(state, gifData()); }
void Gif_giflib(benchmark::State& state) { decodeRaw(state, gifData(), rawGif); }

BENCHMARK(Png_ImageSource)->Unit(benchmark::kMicrosecond);
BENCHMARK(Png_libpng)->Unit(benchmark::kMicrosecond);
BENCHMARK(Jpeg_ImageSource)->Unit(benchmark::kMicrosecond);
BENCHMARK(Jpeg_libjpeg)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gif_ImageSource)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gif_giflib)->Unit(benchmark::kMicrosecond);


} // namespace

int main(int argc, char** argv) {
    return benchratio::runWithRatios(
        argc, argv,
        {{"Png_ImageSource", "Png_libpng"}, {"Jpeg_ImageSource", "Jpeg_libjpeg"}, {"Gif_ImageSource", "Gif_giflib"}},
        {.title = "ImageSource / library", .cpuTime = true, .width = 20}); // decoding is single-threaded
}
