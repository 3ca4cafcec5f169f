// Page bytes from outside, as the web view gets them: read in a charset, bounded, laid out at a
// width and drawn, their links looked up. No crash, leak or hang; the text a page shows is UTF-8
// and its size finite. The first byte picks the charset the response names (low three bits) and
// the width (the rest); the page is the bytes after it. Pictures are not fetched.

#include "os/foundation/Log.h"
#include "os/graphics/Context.h"
#include "os/web/Page.h"

#include <glib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        ns::Log::setSink([](const std::string&) {});
        return true;
    }();
    (void)ready;
    if (size == 0) return 0;
    static const char* const charsets[] = {nullptr, "utf-8", "gbk", "big5", "utf-16le", "iso-8859-1", "shift_jis", "nonsense"};
    const char* charset = charsets[data[0] & 7];
    double width = 40 + (data[0] >> 3) * 12.0; // 40 … 412 points
    auto bytes = ns::Data::make(data + 1, size - 1);
    wk::PictureLimits none;
    none.maxPictures = 0;
    auto page = wk::Page::make(bytes, charset ? std::optional<std::string>(charset) : std::nullopt,
                               ns::URL::fromString("http://pages.test/dir/page.html"), {}, none);

    cg::Size content = page->layout({width, 480});
    if (!std::isfinite(content.width) || !std::isfinite(content.height) || content.width < width || content.height < 0)
        std::abort();
    // The top of the page and its end, as a view shows them at 2x.
    auto context = cg::Context::CreateBitmap(nullptr, 96, 96, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    context->TranslateCTM(0, 96);
    context->ScaleCTM(2, -2);
    page->draw(*context, cg::RectMake(0, 0, 48, 48));
    context->TranslateCTM(0, -std::max(0.0, content.height - 48));
    page->draw(*context, cg::RectMake(0, std::max(0.0, content.height - 48), 48, 48));

    std::string text = page->text();
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) std::abort();
    for (const auto& link : page->links())
        for (const auto& box : link.boxes) (void)page->linkAt({cg::RectGetMidX(box), cg::RectGetMidY(box)});
    (void)page->title();
    (void)page->backgroundColor();
    return 0;
}
