#pragma once
// Screens compared with their golden PNGs (golden/) by the shared comparison.
// VX_UPDATE_GOLDEN=1 rewrites the goldens; VX_SCREENS=<folder> also keeps every capture there.

#include "os/foundation/Data.h"
#include "os/imageio/ImageSource.h"
#include "os/uikit/Driver.h"
#include "tests/support/GoldenCompare.h"
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

// Captures the window into `scratch` and compares it with the golden of that name.
inline ::testing::AssertionResult matchesGolden(const ui::WindowRef& window, const std::string& name,
                                                const std::string& scratch) {
    std::string shot = scratch + "/" + name + ".png";
    ui::driver::drainMain();
    ui::driver::capture(window, shot);
    if (const char* keep = std::getenv("VX_SCREENS")) {
        std::filesystem::create_directories(keep);
        std::filesystem::copy_file(shot, std::string(keep) + "/" + name + ".png",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return matchesGoldenFile(shot, VX_GOLDEN_DIR "/" + name + ".png");
}

} // namespace vx::test
