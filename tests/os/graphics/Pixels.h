#pragma once
// Small helpers for pixel tests: images from literal bytes and reading pixels back.

#include "os/graphics/Context.h"
#include "os/graphics/Image.h"

#include <cstdint>
#include <vector>

namespace pixels {

// A tightly packed 32-bit RGB image from bytes already in the format's memory order.
inline cg::ImageRef image(size_t w, size_t h, uint32_t bitmapInfo, std::vector<uint8_t> bytes) {
    return cg::Image::Create(w, h, 8, 32, w * 4, cg::ColorSpace::CreateDeviceRGB(), bitmapInfo,
                             cg::DataProvider::CreateWithCFData(ns::Data::make(std::move(bytes))));
}

inline cg::ContextRef context(size_t w, size_t h, uint32_t bitmapInfo = cg::kBitmapDisplayAlpha) {
    return cg::Context::CreateBitmap(nullptr, w, h, 8, 0, cg::ColorSpace::CreateDeviceRGB(), bitmapInfo);
}

// Display-format (B,G,R,A) pixel (x, y) as {R, G, B, A}, y counted from the TOP row of memory.
inline std::vector<int> rgba(const cg::Context& c, size_t x, size_t y) {
    auto p = static_cast<const uint8_t*>(c.data()) + y * c.bytesPerRow() + x * 4;
    return {p[2], p[1], p[0], p[3]};
}

} // namespace pixels
