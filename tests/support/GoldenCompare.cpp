#include "tests/support/GoldenCompare.h"

#include "os/foundation/Data.h"
#include "os/graphics/PixelFormat.h"
#include "os/imageio/ImageSource.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace vx::test {
namespace {

// R, G, B, A bytes, not premultiplied, rows from the top.
std::vector<uint8_t> rgba(const cg::ImageRef& image) {
    cg::PixelLayout layout;
    layout.r = 0, layout.g = 1, layout.b = 2, layout.a = 3;
    std::vector<uint8_t> out(image->width() * image->height() * 4);
    cg::ConvertPixels(image->bytes(), image->bytesPerRow(), image->layout(), out.data(), image->width() * 4, layout,
                      image->width(), image->height());
    return out;
}

cg::ImageRef decode(const std::string& path) {
    auto data = ns::Data::fromFile(path);
    auto source = data ? imageio::ImageSource::CreateWithData(data) : nullptr;
    return source ? source->CreateImageAtIndex(0) : nullptr;
}

} // namespace

::testing::AssertionResult sameAsGolden(const cg::ImageRef& shot, const cg::ImageRef& golden, const std::string& name) {
    if (!shot || !golden) return ::testing::AssertionFailure() << name << ": no picture to compare";
    if (shot->width() != golden->width() || shot->height() != golden->height())
        return ::testing::AssertionFailure() << name << ": " << shot->width() << "x" << shot->height()
                                             << " against the golden's " << golden->width() << "x" << golden->height();
    auto a = rgba(shot), b = rgba(golden);
    size_t w = shot->width(), h = shot->height(), off = 0;
    size_t x0 = w, y0 = h, x1 = 0, y1 = 0;
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const uint8_t* p = &a[(y * w + x) * 4];
            const uint8_t* q = &b[(y * w + x) * 4];
            bool differs = false;
            for (int c = 0; c < 4; ++c) differs |= std::abs(int(p[c]) - int(q[c])) > kChannelSlack;
            if (!differs) continue;
            ++off;
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
    if (off > kStrayPixels)
        return ::testing::AssertionFailure() << name << ": " << off << " pixels differ from the golden, within x "
                                             << x0 << ".." << x1 << ", y " << y0 << ".." << y1;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult matchesGoldenFile(const std::string& shotPath, const std::string& goldenPath) {
    std::string name = std::filesystem::path(goldenPath).stem().string();
    if (std::getenv("VX_UPDATE_GOLDEN")) {
        std::filesystem::create_directories(std::filesystem::path(goldenPath).parent_path());
        std::filesystem::copy_file(shotPath, goldenPath, std::filesystem::copy_options::overwrite_existing);
        return ::testing::AssertionSuccess();
    }
    auto golden = decode(goldenPath);
    if (!golden)
        return ::testing::AssertionFailure() << "no golden " << goldenPath << " (run with VX_UPDATE_GOLDEN=1 after looking)";
    return sameAsGolden(decode(shotPath), golden, name);
}

} // namespace vx::test
