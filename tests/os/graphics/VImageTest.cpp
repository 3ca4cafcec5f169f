// Buffer routines against their definitions on tiny buffers: the orientation warps, box blur,
// colour matrix and reflections.
#include "os/graphics/VImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using namespace cg;

namespace {

// A packed 4-byte-per-pixel buffer with its own storage.
struct Pixels {
    size_t w, h;
    std::vector<uint8_t> bytes;
    Pixels(size_t w_, size_t h_) : w(w_), h(h_), bytes(w_ * h_ * 4, 0) {}
    vimage::Buffer buffer() { return {bytes.data(), h, w, w * 4}; }
    uint8_t* at(size_t x, size_t y) { return bytes.data() + (y * w + x) * 4; }
    std::vector<int> px(size_t x, size_t y) { auto p = at(x, y); return {p[0], p[1], p[2], p[3]}; }
};

// 3 × 2 source whose six pixels all differ (A,R,G,B).
Pixels source() {
    Pixels s(3, 2);
    for (size_t y = 0; y < 2; ++y)
        for (size_t x = 0; x < 3; ++x) {
            uint8_t* p = s.at(x, y);
            p[0] = 255, p[1] = uint8_t(40 * (x + 1)), p[2] = uint8_t(100 + 50 * y), p[3] = uint8_t(7 * (x + 3 * y));
        }
    return s;
}

struct Orientation {
    const char* name;
    std::function<AffineTransform(double w, double h)> steps; // the orientation fix's steps, in order
    bool swap;
    // Where stored pixel (x, y) shows up (rows from the top), per the orientation's definition.
    std::function<std::pair<size_t, size_t>(size_t x, size_t y, size_t w, size_t h)> shown;
};

const AffineTransform I = AffineTransformIdentity;

const Orientation kOrientations[] = {
    {"down", [](double w, double h) { return AffineTransformTranslate(AffineTransformRotate(I, M_PI), -w, -h); }, false,
     [](size_t x, size_t y, size_t w, size_t h) { return std::pair{w - 1 - x, h - 1 - y}; }},
    {"left", [](double, double h) { return AffineTransformTranslate(AffineTransformRotate(I, M_PI / 2), 0, -h); }, true,
     [](size_t x, size_t y, size_t w, size_t) { return std::pair{y, w - 1 - x}; }},
    {"right", [](double w, double) { return AffineTransformTranslate(AffineTransformRotate(I, -M_PI / 2), -w, 0); },
     true, [](size_t x, size_t y, size_t, size_t h) { return std::pair{h - 1 - y, x}; }},
    {"up mirrored", [](double w, double) { return AffineTransformScale(AffineTransformTranslate(I, w, 0), -1, 1); },
     false, [](size_t x, size_t y, size_t w, size_t) { return std::pair{w - 1 - x, y}; }},
    {"down mirrored", [](double, double h) { return AffineTransformScale(AffineTransformTranslate(I, 0, h), 1, -1); },
     false, [](size_t x, size_t y, size_t, size_t h) { return std::pair{x, h - 1 - y}; }},
    {"left mirrored",
     [](double w, double h) {
         return AffineTransformTranslate(AffineTransformScale(AffineTransformRotate(I, -M_PI / 2), 1, -1), -w, -h);
     },
     true, [](size_t x, size_t y, size_t, size_t) { return std::pair{y, x}; }},
    {"right mirrored", [](double, double) { return AffineTransformScale(AffineTransformRotate(I, M_PI / 2), 1, -1); },
     true, [](size_t x, size_t y, size_t w, size_t h) { return std::pair{h - 1 - y, w - 1 - x}; }},
};

} // namespace

TEST(VImage, WarpTurnsEveryOrientationUpright) {
    Pixels src = source();
    vimage::Buffer sb = src.buffer();
    const uint8_t bg[4] = {0, 0, 0, 0};
    for (const Orientation& o : kOrientations) {
        Pixels dst(o.swap ? 2 : 3, o.swap ? 3 : 2);
        vimage::Buffer db = dst.buffer();
        ASSERT_EQ(vimage::AffineWarpARGB8888(&sb, &db, nullptr, o.steps(3, 2), bg, vimage::BackgroundColorFill),
                  vimage::NoError);
        for (size_t y = 0; y < 2; ++y)
            for (size_t x = 0; x < 3; ++x) {
                auto [dx, dy] = o.shown(x, y, 3, 2);
                EXPECT_EQ(dst.px(dx, dy), src.px(x, y)) << o.name << " stored (" << x << ", " << y << ")";
            }
    }
}

TEST(VImage, WarpSizesAndBackground) {
    // 30 × 10 turned right gives 10 × 30, fully covered.
    Pixels src(30, 10);
    std::fill(src.bytes.begin(), src.bytes.end(), 200);
    Pixels dst(10, 30);
    vimage::Buffer sb = src.buffer(), db = dst.buffer();
    const uint8_t bg[4] = {0, 0, 0, 0};
    ASSERT_EQ(vimage::AffineWarpARGB8888(&sb, &db, nullptr, kOrientations[2].steps(30, 10), bg,
                                         vimage::BackgroundColorFill),
              vimage::NoError);
    EXPECT_TRUE(std::all_of(dst.bytes.begin(), dst.bytes.end(), [](uint8_t v) { return v == 200; }));
    // Shifted right by one pixel: the first column shows the background.
    Pixels moved(30, 10);
    vimage::Buffer mb = moved.buffer();
    const uint8_t blue[4] = {255, 0, 0, 255};
    ASSERT_EQ(vimage::AffineWarpARGB8888(&sb, &mb, nullptr, AffineTransformMakeTranslation(1, 0), blue,
                                         vimage::BackgroundColorFill),
              vimage::NoError);
    EXPECT_EQ(moved.px(0, 5), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(moved.px(1, 5), (std::vector<int>{200, 200, 200, 200}));
    EXPECT_EQ(vimage::AffineWarpARGB8888(&sb, &sb, nullptr, I, bg, vimage::BackgroundColorFill),
              vimage::OutOfPlaceOperationRequired);
}

TEST(VImage, BoxConvolveIsTheClampedBoxMean) {
    Pixels src(5, 4);
    for (size_t i = 0; i < src.bytes.size(); ++i) src.bytes[i] = uint8_t((i * 37) % 251);
    auto clamped = [&](long x, long y, int c) {
        return int(src.at(size_t(std::clamp(x, 0L, 4L)), size_t(std::clamp(y, 0L, 3L)))[c]);
    };
    Pixels dst(5, 4);
    vimage::Buffer sb = src.buffer(), db = dst.buffer();
    vimage::Error temp = vimage::BoxConvolveARGB8888(&sb, &db, nullptr, 0, 0, 3, 5, nullptr,
                                                     vimage::EdgeExtend | vimage::GetTempBufferSize);
    ASSERT_GT(temp, 0);
    std::vector<uint8_t> scratch(static_cast<size_t>(temp));
    ASSERT_EQ(vimage::BoxConvolveARGB8888(&sb, &db, scratch.data(), 0, 0, 3, 5, nullptr, vimage::EdgeExtend),
              vimage::NoError);
    for (long y = 0; y < 4; ++y)
        for (long x = 0; x < 5; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (long dy = -1; dy <= 1; ++dy)
                    for (long dx = -2; dx <= 2; ++dx) sum += clamped(x + dx, y + dy, c);
                EXPECT_NEAR(dst.at(size_t(x), size_t(y))[c], sum / 15.0, 0.5 + 1e-9) << x << "," << y << " c" << c;
            }
    // A background of zeros darkens the edges instead.
    Pixels flat(3, 3), out(3, 3);
    std::fill(flat.bytes.begin(), flat.bytes.end(), 90);
    vimage::Buffer fb = flat.buffer(), ob = out.buffer();
    const uint8_t zero[4] = {0, 0, 0, 0};
    ASSERT_EQ(vimage::BoxConvolveARGB8888(&fb, &ob, nullptr, 0, 0, 3, 3, zero, vimage::BackgroundColorFill),
              vimage::NoError);
    EXPECT_EQ(out.at(1, 1)[0], 90);
    EXPECT_EQ(out.at(0, 0)[0], 40); // 4 of 9 inside
    EXPECT_EQ(vimage::BoxConvolveARGB8888(&fb, &ob, nullptr, 0, 0, 2, 3, nullptr, vimage::EdgeExtend),
              vimage::InvalidKernelSize);
}

TEST(VImage, SaturationMatrixGreysRedToAbout54) {
    auto entry = [](double v) { return int16_t(std::lround(v * 256)); };
    const double s = 0;
    // Rows: input blue, green, red, alpha; columns: output blue, green, red, alpha.
    const int16_t m[16] = {entry(0.0722 + 0.9278 * s), entry(0.0722 - 0.0722 * s), entry(0.0722 - 0.0722 * s), 0,
                           entry(0.7152 - 0.7152 * s), entry(0.7152 + 0.2848 * s), entry(0.7152 - 0.7152 * s), 0,
                           entry(0.2126 - 0.2126 * s), entry(0.2126 - 0.2126 * s), entry(0.2126 + 0.7873 * s), 0,
                           0, 0, 0, 256};
    Pixels red(1, 1), grey(1, 1);
    uint8_t bgra[4] = {0, 0, 255, 255};
    std::copy(bgra, bgra + 4, red.at(0, 0));
    vimage::Buffer rb = red.buffer(), gb = grey.buffer();
    ASSERT_EQ(vimage::MatrixMultiplyARGB8888(&rb, &gb, m, 256, nullptr, nullptr, vimage::NoFlags), vimage::NoError);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(grey.at(0, 0)[c], 54, 1);
    EXPECT_EQ(grey.at(0, 0)[3], 255);
    // Biases: +10 before, +256·5 after, identity matrix.
    const int16_t id[16] = {256, 0, 0, 0, 0, 256, 0, 0, 0, 0, 256, 0, 0, 0, 0, 256};
    const int16_t pre[4] = {10, 10, 10, 0};
    const int32_t post[4] = {1280, 1280, 1280, 0};
    ASSERT_EQ(vimage::MatrixMultiplyARGB8888(&rb, &rb, id, 256, pre, post, vimage::NoFlags), vimage::NoError);
    EXPECT_EQ(red.px(0, 0), (std::vector<int>{15, 15, 255, 255}));
    EXPECT_EQ(vimage::MatrixMultiplyARGB8888(&rb, &rb, id, 0, nullptr, nullptr, vimage::NoFlags),
              vimage::InvalidParameter);
}

TEST(VImage, ReflectionsInPlace) {
    Pixels p = source();
    Pixels original = p;
    vimage::Buffer b = p.buffer();
    ASSERT_EQ(vimage::VerticalReflectARGB8888(&b, &b, vimage::NoFlags), vimage::NoError);
    EXPECT_EQ(p.px(0, 0), original.px(0, 1));
    EXPECT_EQ(p.px(2, 1), original.px(2, 0));
    ASSERT_EQ(vimage::HorizontalReflectARGB8888(&b, &b, vimage::NoFlags), vimage::NoError);
    EXPECT_EQ(p.px(0, 0), original.px(2, 1));
    EXPECT_EQ(p.px(1, 0), original.px(1, 1));
    Pixels other(3, 3);
    vimage::Buffer ob = other.buffer();
    EXPECT_EQ(vimage::VerticalReflectARGB8888(&b, &ob, vimage::NoFlags), vimage::BufferSizeMismatch);
}
