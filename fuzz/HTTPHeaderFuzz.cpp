// A reply's header block as the network hands it over, line by line: status line, fields, folded and
// repeated fields, Content-Type with its charset, Content-Length. No crash; the response built from
// the block reads back what the block holds.

#include "os/foundation/URL.h"
#include "os/net/HTTPHeaderBlock.h"
#include "os/net/URLResponse.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ns::detail::HTTPHeaderBlock block;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        block.add(text.substr(start, end - start));
        start = end;
    }
    ns::Dictionary fields = block.joined();
    if (fields.count() > block.fields().size()) std::abort();
    for (const auto& [name, value] : fields) {
        if (name.empty() || name.find_first_of("\r\n:") != std::string::npos) std::abort();
        if (!block.has(name)) std::abort();
    }
    static const auto url = ns::URL::fromString("http://127.0.0.1/reply");
    auto response = ns::HTTPURLResponse::create(url, block.status(), std::move(fields));
    if (auto mime = response->mimeType()) {
        for (char c : *mime)
            if (c >= 'A' && c <= 'Z') std::abort(); // MIME types read lowercased
    }
    (void)response->textEncodingName();
    if (response->expectedContentLength() < -1) std::abort();
    (void)response->valueForHTTPHeaderField("content-type");
    (void)response->description();
    return 0;
}
