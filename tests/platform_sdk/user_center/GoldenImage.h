#pragma once
// Screens compared with their golden PNGs (golden/) within a small pixel tolerance.
// VX_UPDATE_GOLDEN=1 rewrites the goldens; VX_SCREENS=<folder> also keeps every capture there.

#include "os/foundation/Data.h"
#include "os/imageio/ImageSource.h"
#include "os/uikit/Driver.h"
#include "tests/support/ImageBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vx::test {

inline cg::ImageRef decodeImage(const std::string& path) {
    auto data = ns::Data::fromFile(path);
    auto source = data ? imageio::ImageSource::CreateWithData(data) : nullptr;
    return source ? source->CreateImageAtIndex(0) : nullptr;
}

// Captures the window into `scratch` and compares it with the golden of that name: same size and
// at most 0.5% of the pixels further apart than `tolerance` in any channel (font hinting, antialiasing).
inline ::testing::AssertionResult matchesGolden(const ui::WindowRef& window, const std::string& name,
                                                const std::string& scratch, int tolerance = 24) {
    std::string shot = scratch + "/" + name + ".png";
    ui::driver::drainMain();
    ui::driver::capture(window, shot);
    if (const char* keep = std::getenv("VX_SCREENS")) {
        std::filesystem::create_directories(keep);
        std::filesystem::copy_file(shot, std::string(keep) + "/" + name + ".png",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::string golden = std::string(VX_GOLDEN_DIR) + "/" + name + ".png";
    if (std::getenv("VX_UPDATE_GOLDEN")) {
        std::filesystem::copy_file(shot, golden, std::filesystem::copy_options::overwrite_existing);
        return ::testing::AssertionSuccess();
    }
    auto a = decodeImage(shot), b = decodeImage(golden);
    if (!b) return ::testing::AssertionFailure() << "no golden " << golden;
    if (!a || a->width() != b->width() || a->height() != b->height())
        return ::testing::AssertionFailure() << name << ": size differs from the golden";
    size_t off = 0, total = a->width() * a->height();
    for (uint32_t y = 0; y < a->height(); ++y)
        for (uint32_t x = 0; x < a->width(); ++x)
            if (!imagebytes::near(imagebytes::pixelAt(a, x, y), imagebytes::pixelAt(b, x, y), tolerance)) ++off;
    if (off * 200 > total)
        return ::testing::AssertionFailure() << name << ": " << off << " of " << total << " pixels differ";
    return ::testing::AssertionSuccess();
}

} // namespace vx::test
