// VXImageDecoder frame decoding for display (PNG, JPEG, a GIF frame, APNG frames in sequence and at
// random) against the raw library decoding the same bytes into the same display pixels
// (premultiplied B,G,R,A or B,G,R,x). Prints the ratio of each pair at the end.

#include "bench/BenchRatio.h"
#include "bench/RawDecode.h"
#include "image/VXImageDecoder.h"
#include "tests/support/ImageBytes.h"

#include <benchmark/benchmark.h>
#include <csetjmp>
#include <cstring>
#include <gif_lib.h>
#include <jpeglib.h>
#include <malloc.h>
#include <map>
#include <png.h>
#include <random>
#include <zlib.h>

namespace {

constexpr uint32_t kSide = 256;
constexpr size_t kAnimationFrames = 8;

// A photo-like frame: gradients with a little noise, shifted per frame.
std::vector<uint8_t> picture(uint32_t width, uint32_t height, uint32_t shift, bool alpha) {
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    uint32_t noise = 7 + shift;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1664525 + 1013904223;
            uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
            p[0] = uint8_t((x + shift * 9) * 255 / width + (noise >> 28));
            p[1] = uint8_t(y * 255 / height + (noise >> 29));
            p[2] = uint8_t((x + y) * 127 / (width + height) + 64);
            p[3] = alpha ? uint8_t(255 - (x * 64 / width)) : 255;
        }
    return rgba;
}

imagebytes::Pixels pixelsOf(const std::vector<uint8_t>& rgba, uint32_t width) {
    return [&rgba, width](uint32_t x, uint32_t y) {
        const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
        return imagebytes::Rgba{p[0], p[1], p[2], p[3]};
    };
}

std::vector<uint8_t> pngOf(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height) {
    return imagebytes::png(width, height, pixelsOf(rgba, width));
}

std::vector<uint8_t> jpegOf(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height) {
    return imagebytes::jpeg(width, height, pixelsOf(rgba, width), false, 0, true, 90);
}

// Frames of 6-bit grey-ish indices over a 64-entry palette.
std::vector<uint8_t> gifOf(uint32_t side, size_t frames) {
    std::vector<std::array<uint8_t, 3>> palette(64);
    for (int i = 0; i < 64; ++i) palette[size_t(i)] = {uint8_t(i * 4), uint8_t(255 - i * 4), uint8_t(i * 2)};
    std::vector<imagebytes::GifFrame> gifFrames;
    for (size_t f = 0; f < frames; ++f) {
        imagebytes::GifFrame frame{0, 0, int(side), int(side), 0, 5, -1, std::vector<uint8_t>(size_t(side) * side)};
        for (uint32_t y = 0; y < side; ++y)
            for (uint32_t x = 0; x < side; ++x) frame.indices[size_t(y) * side + x] = uint8_t(((x + y + f * 7) / 8) % 64);
        gifFrames.push_back(std::move(frame));
    }
    return imagebytes::gif(int(side), int(side), palette, gifFrames, std::nullopt);
}

void chunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t length) {
    auto be32 = [&](uint32_t v) { out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}); };
    be32(uint32_t(length));
    const size_t at = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + length);
    be32(uint32_t(crc32(0, out.data() + at, uInt(length + 4))));
}

// Full-size frames blended over the canvas, so that random access replays from frame 0.
struct Animation {
    std::vector<uint8_t> apng;
    std::vector<std::vector<uint8_t>> framePngs; // the same pixels as standalone PNGs
};

Animation animationOf(uint32_t side, size_t frames) {
    Animation a;
    a.apng = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    uint32_t sequence = 0;
    for (size_t f = 0; f < frames; ++f) {
        const std::vector<uint8_t> png = pngOf(picture(side, side, uint32_t(f), true), side, side);
        a.framePngs.push_back(png);
        bool firstIDAT = true;
        for (size_t at = 8; at + 12 <= png.size();) {
            const uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
            const char* type = reinterpret_cast<const char*>(&png[at + 4]);
            const uint8_t* data = &png[at + 8];
            if (f == 0 && std::memcmp(type, "IHDR", 4) == 0) {
                chunk(a.apng, "IHDR", data, length);
                const uint8_t actl[8] = {0, 0, 0, uint8_t(frames), 0, 0, 0, 0};
                chunk(a.apng, "acTL", actl, 8);
            }
            if (std::memcmp(type, "IDAT", 4) == 0) {
                if (firstIDAT) {
                    firstIDAT = false;
                    const uint8_t blend = f == 0 ? 0 : 1;
                    const uint8_t fctl[26] = {0, 0, 0, uint8_t(sequence), 0, 0, uint8_t(side >> 8), uint8_t(side), 0, 0,
                                              uint8_t(side >> 8), uint8_t(side), 0, 0, 0, 0, 0, 0, 0, 0,
                                              0, 1, 0, 10, 0, blend};
                    ++sequence;
                    chunk(a.apng, "fcTL", fctl, 26);
                }
                if (f == 0) {
                    chunk(a.apng, "IDAT", data, length);
                } else {
                    std::vector<uint8_t> fdat = {0, 0, 0, uint8_t(sequence++)};
                    fdat.insert(fdat.end(), data, data + length);
                    chunk(a.apng, "fdAT", fdat.data(), fdat.size());
                }
            }
            at += length + 12;
        }
    }
    chunk(a.apng, "IEND", nullptr, 0);
    return a;
}

// The still pictures, by side (64 to 4096), made once.
const std::vector<uint8_t>& pngBytes(uint32_t side) {
    static std::map<uint32_t, std::vector<uint8_t>> bytes;
    auto& b = bytes[side];
    if (b.empty()) b = pngOf(picture(side, side, 0, true), side, side);
    return b;
}
const std::vector<uint8_t>& jpegBytes(uint32_t side) {
    static std::map<uint32_t, std::vector<uint8_t>> bytes;
    auto& b = bytes[side];
    if (b.empty()) b = jpegOf(picture(side, side, 0, false), side, side);
    return b;
}
const std::vector<uint8_t>& gifBytes() {
    static const auto bytes = gifOf(kSide, 4);
    return bytes;
}
const Animation& animation() {
    static const Animation a = animationOf(kSide, kAnimationFrames);
    return a;
}

// --- The image kit --------------------------------------------------------------------------

void decodeFrame(benchmark::State& state, const std::vector<uint8_t>& bytes, size_t index) {
    const ns::DataRef data = imagebytes::dataOf(bytes);
    for (auto _ : state) {
        auto decoder = VXImageDecoder::decoderWithData(data, 1);
        auto frame = decoder ? decoder->frameAtIndex(index, true) : nullptr;
        if (!frame) std::abort();
        benchmark::DoNotOptimize(frame->image->CGImage()->bytes());
    }
}

void APNG_Decoder(benchmark::State& state, bool random) {
    auto decoder = VXImageDecoder::decoderWithData(imagebytes::dataOf(animation().apng), 1);
    if (!decoder || decoder->frameCount() != kAnimationFrames) std::abort();
    std::mt19937 generator(42);
    size_t next = 0;
    for (auto _ : state) {
        const size_t index = random ? generator() % kAnimationFrames : next++ % kAnimationFrames;
        auto frame = decoder->frameAtIndex(index, true);
        if (!frame) std::abort();
        benchmark::DoNotOptimize(frame->image->CGImage()->bytes());
    }
}

// --- The libraries alone, into display pixels ---------------------------------------------
// PNG ratios below 1 are the kit's trick: libpng premultiplies pixel by pixel through its alpha
// and gamma code, the kit decodes R,G,B,A and then premultiplies a whole 32-bit pixel at a time,
// in place. For JPEG and GIF both sides do the same work, and a ratio below 1 is noise.

bool rawPng(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    rawdecode::Reader reader{bytes.data(), bytes.size()};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, rawdecode::readPng);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_bgr(png);
    png_set_alpha_mode(png, PNG_ALPHA_PREMULTIPLIED, PNG_GAMMA_LINEAR);
    png_read_update_info(png, info);
    const uint32_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    pixels.assign(size_t(width) * height * 4, 0);
    for (uint32_t y = 0; y < height; ++y) rows.push_back(pixels.data() + size_t(y) * width * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool rawJpeg(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& pixels) {
    return rawdecode::jpeg(bytes.data(), bytes.size(), JCS_EXT_BGRX, pixels);
}

// The last frame composed over the earlier ones (all full size, no transparency here), each
// frame's colours looked up in a 256-entry table of whole 32-bit display pixels.
bool rawGifLastFrame(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& pixels) {
    rawdecode::Reader reader{bytes.data(), bytes.size()};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, rawdecode::readGif, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) return false;
    const int width = gif->SWidth, height = gif->SHeight;
    pixels.assign(size_t(width) * height * 4, 0);
    auto* canvas = reinterpret_cast<uint32_t*>(pixels.data());
    for (int f = 0; f < gif->ImageCount; ++f) {
        const SavedImage& frame = gif->SavedImages[f];
        const GifImageDesc& d = frame.ImageDesc;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        uint32_t table[256] = {};
        for (int i = 0; i < map->ColorCount && i < 256; ++i)
            table[i] = 0xFF000000u | uint32_t(map->Colors[i].Red) << 16 | uint32_t(map->Colors[i].Green) << 8 |
                       map->Colors[i].Blue; // B,G,R,A in memory on a little-endian machine
        const int rows = std::min(d.Height, height - d.Top), columns = std::min(d.Width, width - d.Left);
        for (int y = 0; y < rows; ++y) {
            const GifByteType* in = frame.RasterBits + size_t(y) * d.Width;
            uint32_t* out = canvas + size_t(y + d.Top) * width + d.Left;
            for (int x = 0; x < columns; ++x)
                if (in[x] < map->ColorCount) out[x] = table[in[x]];
        }
    }
    DGifCloseFile(gif, &error);
    return true;
}

void decodeRaw(benchmark::State& state, const std::vector<uint8_t>& bytes,
               bool (*decode)(const std::vector<uint8_t>&, std::vector<uint8_t>&)) {
    for (auto _ : state) {
        std::vector<uint8_t> pixels;
        if (!decode(bytes, pixels)) std::abort();
        benchmark::DoNotOptimize(pixels.data());
    }
}

// One standalone frame PNG decoded per iteration, as a player without composition would.
void APNG_libpng(benchmark::State& state) {
    size_t next = 0;
    for (auto _ : state) {
        std::vector<uint8_t> pixels;
        if (!rawPng(animation().framePngs[next++ % kAnimationFrames], pixels)) std::abort();
        benchmark::DoNotOptimize(pixels.data());
    }
}

void Png_VXImageDecoder(benchmark::State& state) { decodeFrame(state, pngBytes(uint32_t(state.range(0))), 0); }
void Png_libpng(benchmark::State& state) { decodeRaw(state, pngBytes(uint32_t(state.range(0))), rawPng); }
void Jpeg_VXImageDecoder(benchmark::State& state) { decodeFrame(state, jpegBytes(uint32_t(state.range(0))), 0); }
void Jpeg_libjpeg(benchmark::State& state) { decodeRaw(state, jpegBytes(uint32_t(state.range(0))), rawJpeg); }
void GifFrame_VXImageDecoder(benchmark::State& state) { decodeFrame(state, gifBytes(), 3); }
void GifFrame_giflib(benchmark::State& state) { decodeRaw(state, gifBytes(), rawGifLastFrame); }
void APNGSequence_VXImageDecoder(benchmark::State& state) { APNG_Decoder(state, false); }
void APNGRandom_VXImageDecoder(benchmark::State& state) { APNG_Decoder(state, true); }

constexpr int64_t kSides[] = {64, 256, 1024, 4096};
BENCHMARK(Png_VXImageDecoder)->Unit(benchmark::kMicrosecond)->Arg(kSides[0])->Arg(kSides[1])->Arg(kSides[2])->Arg(kSides[3]);
BENCHMARK(Png_libpng)->Unit(benchmark::kMicrosecond)->Arg(kSides[0])->Arg(kSides[1])->Arg(kSides[2])->Arg(kSides[3]);
BENCHMARK(Jpeg_VXImageDecoder)->Unit(benchmark::kMicrosecond)->Arg(kSides[0])->Arg(kSides[1])->Arg(kSides[2])->Arg(kSides[3]);
BENCHMARK(Jpeg_libjpeg)->Unit(benchmark::kMicrosecond)->Arg(kSides[0])->Arg(kSides[1])->Arg(kSides[2])->Arg(kSides[3]);
BENCHMARK(GifFrame_VXImageDecoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(GifFrame_giflib)->Unit(benchmark::kMicrosecond);
BENCHMARK(APNGSequence_VXImageDecoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(APNGRandom_VXImageDecoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(APNG_libpng)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // A warm heap for both sides: big pixel buffers are reused instead of being handed back to the
    // kernel and faulted in (zeroed) again on every iteration, which would measure the kernel.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    std::vector<benchratio::Pair> pairs;
    for (const char* format : {"Png", "Jpeg"})
        for (int64_t side : kSides) {
            const std::string arg = "/" + std::to_string(side);
            const std::string library = std::string(format) == "Png" ? "_libpng" : "_libjpeg";
            pairs.push_back({format + std::string("_VXImageDecoder") + arg, format + library + arg});
        }
    pairs.insert(pairs.end(), {{"GifFrame_VXImageDecoder", "GifFrame_giflib"},
                                      {"APNGSequence_VXImageDecoder", "APNG_libpng"},
                                      {"APNGRandom_VXImageDecoder", "APNG_libpng"}});
    return benchratio::runWithRatios(argc, argv, pairs,
                                     {.title = "VXImageDecoder / library", .cpuTime = true});
}
