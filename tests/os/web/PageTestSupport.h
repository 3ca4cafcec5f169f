#pragma once
// Pages of the web tests: made from HTML text, laid out, drawn into a bitmap the way the web view
// draws them (y down, page points at a scale), and looked at pixel by pixel.

#include "os/foundation/Data.h"
#include "os/graphics/Context.h"
#include "os/web/Page.h"
#include "tests/support/Environment.h"
#include "tests/support/ImageBytes.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace webtest {

// The piece, `times` over.
inline std::string repeat(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

inline wk::PageRef pageOf(const std::string& html, const std::string& url = "http://pages.test/dir/page.html",
                           const std::optional<std::string>& charset = std::nullopt) {
    return wk::Page::make(ns::Data::fromString(html), charset, ns::URL::fromString(url));
}

inline std::string pngOf(uint32_t width, uint32_t height, imagebytes::Rgba colour) {
    auto bytes = imagebytes::png(width, height, [&](uint32_t, uint32_t) { return colour; }, false);
    return std::string(bytes.begin(), bytes.end());
}

// A real PNG whose header claims another size (its CRC made right, so only the size is wrong).
inline std::string pngClaiming(uint32_t width, uint32_t height) {
    std::string png = pngOf(1, 1, {0, 0, 0, 255});
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char(width >> (24 - 8 * i));
        png[20 + i] = char(height >> (24 - 8 * i));
    }
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    for (int i = 0; i < 4; ++i) png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

// A drawing of the page's top part, white behind it.
struct Drawing {
    cg::ContextRef context;
    double scale = 1;
    int width = 0, height = 0; // pixels

    Drawing(wk::Page& page, cg::Size viewport, double scale = 1, double top = 0) : scale(scale) {
        page.layout(viewport);
        width = static_cast<int>(viewport.width * scale);
        height = static_cast<int>(viewport.height * scale);
        context = cg::Context::CreateBitmap(nullptr, width, height, 8, 0, cg::ColorSpace::CreateDeviceRGB(),
                                            cg::kBitmapDisplayAlpha);
        context->SetFillColor({1, 1, 1, 1});
        context->FillRect(cg::RectMake(0, 0, width, height));
        context->TranslateCTM(0, height);
        context->ScaleCTM(scale, -scale);
        context->TranslateCTM(0, -top);
        page.draw(*context, cg::RectMake(0, top, viewport.width, viewport.height));
    }
    // R, G, B of the pixel at (x, y) points from the top left of the drawing.
    struct Rgb {
        int r, g, b;
    };
    Rgb at(double x, double y) const {
        int px = static_cast<int>(x * scale), py = static_cast<int>(y * scale);
        const uint8_t* p = static_cast<const uint8_t*>(context->data()) + static_cast<size_t>(py) * context->bytesPerRow() + px * 4;
        return {p[2], p[1], p[0]};
    }
    bool dark(double x, double y) const {
        Rgb c = at(x, y);
        return c.r < 128 && c.g < 128 && c.b < 128;
    }
    // Pixels (in points' rows) in the band [top, bottom) with anything but white.
    bool inked(double left, double top, double right, double bottom) const {
        for (int y = static_cast<int>(top * scale); y < static_cast<int>(bottom * scale) && y < height; ++y)
            for (int x = static_cast<int>(left * scale); x < static_cast<int>(right * scale) && x < width; ++x) {
                const uint8_t* p = static_cast<const uint8_t*>(context->data()) + static_cast<size_t>(y) * context->bytesPerRow() + x * 4;
                if (p[0] < 200 || p[1] < 200 || p[2] < 200) return true;
            }
        return false;
    }
    // The drawing as a PNG file.
    bool write(const std::string& path) const {
        ns::DataRef png = imagebytes::encode(context->CreateImage(), "public.png");
        return png && png->writeToFile(path, true);
    }
    // With VX_SCREENS=<folder>, the drawing is kept there as <name>.png for a look.
    void keep(const std::string& name) const {
        if (const char* folder = std::getenv("VX_SCREENS")) write(std::string(folder) + "/" + name + ".png");
    }
};

class PageTest : public vx::test::Environment {
protected:
    // The page's pictures all arrived or failed, the main loop pumped until then.
    bool picturesSettled(const wk::PageRef& page) {
        return runMainUntil([&] {
            settle();
            return page->picturesLoading() == 0;
        });
    }
};

} // namespace webtest
