// Every 32-bit context format stores its bytes in the declared memory order, and conversions
// between all the formats keep the colours.
#include "os/graphics/VImage.h"
#include "tests/os/graphics/Pixels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace cg;

namespace {

struct FormatCase {
    uint32_t bitmapInfo;
    const char* memory; // channel of each byte: R, G, B, A, or x (skipped)
};

// Written out by hand from the platform's definitions, not derived from the code under test.
const FormatCase kContextFormats[] = {
    {ImageAlphaPremultipliedLast, "RGBA"},
    {ImageAlphaPremultipliedLast | kBitmapByteOrder32Big, "RGBA"},
    {ImageAlphaPremultipliedLast | kBitmapByteOrder32Little, "ABGR"},
    {ImageAlphaPremultipliedFirst, "ARGB"},
    {ImageAlphaPremultipliedFirst | kBitmapByteOrder32Big, "ARGB"},
    {ImageAlphaPremultipliedFirst | kBitmapByteOrder32Little, "BGRA"},
    {ImageAlphaNoneSkipLast, "RGBx"},
    {ImageAlphaNoneSkipLast | kBitmapByteOrder32Big, "RGBx"},
    {ImageAlphaNoneSkipLast | kBitmapByteOrder32Little, "xBGR"},
    {ImageAlphaNoneSkipFirst, "xRGB"},
    {ImageAlphaNoneSkipFirst | kBitmapByteOrder32Big, "xRGB"},
    {ImageAlphaNoneSkipFirst | kBitmapByteOrder32Little, "BGRx"},
};

// Image formats add the non-premultiplied ones.
const FormatCase kImageOnlyFormats[] = {
    {ImageAlphaLast, "RGBA"},
    {ImageAlphaLast | kBitmapByteOrder32Little, "ABGR"},
    {ImageAlphaFirst, "ARGB"},
    {ImageAlphaFirst | kBitmapByteOrder32Little, "BGRA"},
};

bool hasAlpha(const FormatCase& f) { return std::string(f.memory).find('A') != std::string::npos; }
bool premultiplied(const FormatCase& f) {
    auto a = AlphaInfoOf(f.bitmapInfo);
    return a == ImageAlphaPremultipliedFirst || a == ImageAlphaPremultipliedLast;
}

// Lays out {r, g, b, a} in the format's memory order.
std::vector<uint8_t> pack(const FormatCase& f, int r, int g, int b, int a) {
    std::vector<uint8_t> out;
    for (const char* c = f.memory; *c; ++c)
        out.push_back(uint8_t(*c == 'R' ? r : *c == 'G' ? g : *c == 'B' ? b : *c == 'A' ? a : 0xFF));
    return out;
}

void expectPixel(const FormatCase& f, const uint8_t* bytes, int r, int g, int b, int a, const std::string& what) {
    for (int i = 0; i < 4; ++i) {
        char c = f.memory[i];
        if (c == 'x') continue;
        int want = c == 'R' ? r : c == 'G' ? g : c == 'B' ? b : a;
        EXPECT_LE(std::abs(bytes[i] - want), 1) << what << " format 0x" << std::hex << f.bitmapInfo << " byte " << i
                                                << " (" << c << ") is " << std::dec << int(bytes[i]) << ", want "
                                                << want;
    }
}

} // namespace

TEST(PixelFormat, ContextStoresFillInDeclaredByteOrder) {
    for (const FormatCase& f : kContextFormats) {
        auto c = pixels::context(2, 1, f.bitmapInfo);
        ASSERT_TRUE(c) << std::hex << f.bitmapInfo;
        // Left pixel opaque, right pixel half transparent (premultiplied in storage).
        c->SetFillColor({0.8, 0.4, 0.2, 1});
        c->FillRect(RectMake(0, 0, 1, 1));
        c->SetFillColor({0.8, 0.4, 0.2, 0.5});
        c->FillRect(RectMake(1, 0, 1, 1));
        auto p = static_cast<const uint8_t*>(c->data());
        expectPixel(f, p, 204, 102, 51, 255, "opaque");
        if (hasAlpha(f)) expectPixel(f, p + 4, 102, 51, 26, 128, "half");
        else expectPixel(f, p + 4, 102, 51, 26, 255, "half over black");
    }
}

TEST(PixelFormat, DrawingKeepsBytesWrittenThroughData) {
    for (const FormatCase& f : kContextFormats) {
        auto c = pixels::context(2, 1, f.bitmapInfo);
        auto original = pack(f, 10, 20, 30, 255);
        std::memcpy(static_cast<uint8_t*>(c->data()) + 4, original.data(), 4);
        c->SetFillColor({1, 1, 1, 1});
        c->FillRect(RectMake(0, 0, 1, 1));
        expectPixel(f, static_cast<const uint8_t*>(c->data()) + 4, 10, 20, 30, 255, "untouched");
    }
}

TEST(PixelFormat, ImageDrawnIntoEveryContextFormat) {
    std::vector<FormatCase> sources(std::begin(kContextFormats), std::end(kContextFormats));
    sources.insert(sources.end(), std::begin(kImageOnlyFormats), std::end(kImageOnlyFormats));
    for (const FormatCase& s : sources) {
        int a = hasAlpha(s) ? 128 : 255;
        int r = 200, g = 100, b = 40;
        // Premultiplied sources hold the premultiplied values of the same colour.
        int pr = premultiplied(s) ? r * a / 255 : r, pg = premultiplied(s) ? g * a / 255 : g,
            pb = premultiplied(s) ? b * a / 255 : b;
        auto img = pixels::image(1, 1, s.bitmapInfo, pack(s, pr, pg, pb, a));
        ASSERT_TRUE(img) << std::hex << s.bitmapInfo;
        for (const FormatCase& d : kContextFormats) {
            auto c = pixels::context(1, 1, d.bitmapInfo);
            c->DrawImage(RectMake(0, 0, 1, 1), img);
            int ea = hasAlpha(d) ? a : 255;
            // Stored premultiplied (or over black when the context has no alpha).
            expectPixel(d, static_cast<const uint8_t*>(c->data()), r * a / 255, g * a / 255, b * a / 255, ea,
                        "drawn from 0x" + std::to_string(s.bitmapInfo));
        }
    }
}

TEST(PixelFormat, ContextRefusesNonPremultipliedAndAlphaOnlyFormats) {
    for (uint32_t alpha : {0u, 3u, 4u, 7u})
        for (uint32_t order : {0u, 0x2000u, 0x4000u})
            EXPECT_FALSE(pixels::context(4, 4, alpha | order)) << alpha << " " << order;
    EXPECT_FALSE(pixels::context(4, 4, ImageAlphaPremultipliedFirst | 0x3000)); // 16-bit little
    EXPECT_FALSE(Context::CreateBitmap(nullptr, 4, 4, 8, 0, nullptr, kBitmapDisplayAlpha));
    EXPECT_FALSE(Context::CreateBitmap(nullptr, 4, 4, 8, 8, ColorSpace::CreateDeviceRGB(), kBitmapDisplayAlpha));
    auto gray = Context::CreateBitmap(nullptr, 3, 2, 8, 0, ColorSpace::CreateDeviceGray(), ImageAlphaNone);
    ASSERT_TRUE(gray);
    gray->SetFillColor({1, 1, 1, 1});
    gray->FillRect(RectMake(0, 0, 3, 2));
    EXPECT_EQ(static_cast<const uint8_t*>(gray->data())[2], 255);
}

TEST(PixelFormat, AnyToAnyRoundTripsEveryPair) {
    std::vector<FormatCase> all(std::begin(kContextFormats), std::end(kContextFormats));
    all.insert(all.end(), std::begin(kImageOnlyFormats), std::end(kImageOnlyFormats));
    auto rgb = ColorSpace::CreateDeviceRGB();
    auto convert = [&](uint32_t from, uint32_t to, uint8_t* src, uint8_t* dst) {
        vimage::Buffer sb{src, 1, 1, 4}, db{dst, 1, 1, 4};
        vimage::Error e = 0;
        auto c = vimage::Converter::CreateWithCGImageFormat({8, 32, rgb, from}, {8, 32, rgb, to}, nullptr, vimage::NoFlags, &e);
        return c && vimage::ConvertAnyToAny(*c, &sb, &db, nullptr, vimage::NoFlags) == vimage::NoError;
    };
    for (const FormatCase& s : all)
        for (const FormatCase& d : all) {
            int a = hasAlpha(s) ? 200 : 255;
            int r = premultiplied(s) ? 180 : 225, g = premultiplied(s) ? 80 : 100, b = premultiplied(s) ? 8 : 10;
            auto srcBytes = pack(s, r, g, b, a);
            std::vector<uint8_t> mid(4), back(4);
            ASSERT_TRUE(convert(s.bitmapInfo, d.bitmapInfo, srcBytes.data(), mid.data()));
            ASSERT_TRUE(convert(d.bitmapInfo, s.bitmapInfo, mid.data(), back.data()));
            std::string what = "0x" + std::to_string(s.bitmapInfo) + " -> 0x" + std::to_string(d.bitmapInfo);
            if (hasAlpha(d) || !hasAlpha(s)) {
                expectPixel(s, back.data(), r, g, b, a, what);
            } else {
                // Alpha dropped: the colour composited over black comes back, opaque.
                int k = premultiplied(s) ? 255 : a;
                expectPixel(d, mid.data(), r * k / 255, g * k / 255, b * k / 255, 255, what);
            }
        }
}

TEST(PixelFormat, PremultiplyAndUnpremultiplyAtEdgeAlphas) {
    for (int a : {0, 1, 128, 255}) {
        uint8_t px[4] = {uint8_t(a), 255, 128, 3}; // A,R,G,B
        vimage::Buffer b{px, 1, 1, 4};
        ASSERT_EQ(vimage::PremultiplyDataARGB8888(&b, &b, vimage::NoFlags), vimage::NoError);
        EXPECT_EQ(px[0], a);
        EXPECT_NEAR(px[1], 255.0 * a / 255, 1) << a;
        EXPECT_NEAR(px[2], 128.0 * a / 255, 1) << a;
        ASSERT_EQ(vimage::UnpremultiplyDataARGB8888(&b, &b, vimage::NoFlags), vimage::NoError);
        if (a == 0) {
            EXPECT_EQ(px[1], 0);
        }
        if (a >= 128) {
            EXPECT_NEAR(px[1], 255, 1);
            EXPECT_NEAR(px[2], 128, 1);
        }
    }
    uint8_t rgba[4] = {64, 32, 16, 128}; // premultiplied R,G,B,A
    uint8_t out[4];
    vimage::Buffer s{rgba, 1, 1, 4}, d{out, 1, 1, 4};
    ASSERT_EQ(vimage::UnpremultiplyDataRGBA8888(&s, &d, vimage::NoFlags), vimage::NoError);
    EXPECT_NEAR(out[0], 128, 1);
    EXPECT_NEAR(out[1], 64, 1);
    EXPECT_NEAR(out[2], 32, 1);
    EXPECT_EQ(out[3], 128);
}

// R,G,B,A to the display formats, between buffers and in place: every alpha with every channel
// value rounds as Premultiply8 does; opaque pixels only swap.
TEST(PixelFormat, ConversionToTheDisplayFormatsExactAndInPlace) {
    std::vector<uint8_t> rgba;
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) rgba.insert(rgba.end(), {uint8_t(c), uint8_t(255 - c), uint8_t(c ^ 0x5a), uint8_t(a)});
    const auto straight = *DescribeFormat(8, 32, ImageAlphaLast), display = *DescribeFormat(8, 32, kBitmapDisplayAlpha);
    std::vector<uint8_t> copy(rgba.size()), inPlace = rgba;
    ConvertPixels(rgba.data(), 256 * 4, straight, copy.data(), 256 * 4, display, 256, 256);
    ConvertPixels(inPlace.data(), 256 * 4, straight, inPlace.data(), 256 * 4, display, 256, 256);
    EXPECT_EQ(copy, inPlace);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const uint8_t a = rgba[i + 3];
        const uint8_t expected[4] = {Premultiply8(rgba[i + 2], a), Premultiply8(rgba[i + 1], a), Premultiply8(rgba[i], a), a};
        ASSERT_EQ(std::memcmp(&copy[i], expected, 4), 0) << "pixel " << i / 4;
    }

    uint8_t opaque[8] = {1, 2, 3, 0, 200, 100, 50, 7}; // R,G,B,x
    ConvertPixels(opaque, 8, *DescribeFormat(8, 32, ImageAlphaNoneSkipLast), opaque, 8,
                  *DescribeFormat(8, 32, kBitmapDisplayOpaque), 2, 1);
    const uint8_t swapped[8] = {3, 2, 1, 255, 50, 100, 200, 255};
    EXPECT_EQ(std::memcmp(opaque, swapped, 8), 0);
}

TEST(PixelFormat, ConverterSwitchAndBufferImages) {
    auto rgb = ColorSpace::CreateDeviceRGB();
    vimage::CGImageFormat display{8, 32, rgb, kBitmapDisplayAlpha}, warp{8, 32, rgb, ImageAlphaFirst};
    vimage::Error e = 0;
    vimage::setConverterAvailable(false);
    EXPECT_FALSE(vimage::converterAvailable());
    EXPECT_FALSE(vimage::Converter::CreateWithCGImageFormat(display, warp, nullptr, vimage::NoFlags, &e));
    EXPECT_EQ(e, vimage::UnsupportedConversion);
    vimage::setConverterAvailable(true);
    EXPECT_TRUE(vimage::Converter::CreateWithCGImageFormat(display, warp, nullptr, vimage::NoFlags, &e));
    vimage::CGImageFormat bad{8, 32, rgb, ImageAlphaOnly};
    EXPECT_FALSE(vimage::Converter::CreateWithCGImageFormat(display, bad, nullptr, vimage::NoFlags, &e));
    EXPECT_EQ(e, vimage::InvalidImageFormat);

    // An image loaded into a buffer in another format, then adopted without a copy.
    auto img = pixels::image(2, 1, ImageAlphaLast, {255, 0, 0, 128, 0, 0, 255, 255}); // R,G,B,A
    vimage::Buffer buf;
    ASSERT_EQ(vimage::BufferInitWithCGImage(&buf, display, nullptr, img, vimage::NoFlags), vimage::NoError);
    EXPECT_EQ(buf.rowBytes % 32, 0u);
    auto p = static_cast<uint8_t*>(buf.data);
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{0, 0, 128, 128}));
    static int cleaned = 0;
    cleaned = 0;
    auto adopted = vimage::CreateCGImageFromBuffer(
        buf, display, [](void*, void* data) { ++cleaned, std::free(data); }, nullptr, vimage::NoAllocate, &e);
    ASSERT_TRUE(adopted);
    EXPECT_EQ(adopted->bytes(), p);
    EXPECT_EQ(cleaned, 0);
    adopted.reset();
    EXPECT_EQ(cleaned, 1);
}
