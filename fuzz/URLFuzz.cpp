// URL text from outside (replies, pages, links opened into the app): no crash, leak or hang. A URL
// that parses has only allowed characters, reads back the same from its absolute string, and every
// accessor answers. The first byte's low bit resolves the text against a base: the bytes after the
// first newline.

#include "os/foundation/URL.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

bool allowed(std::string_view text) {
    for (unsigned char c : text)
        if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c)) return false;
    return true;
}

void exercise(const ns::Ref<ns::URL>& url) {
    if (!url) return;
    const std::string& text = url->absoluteString();
    if (!allowed(text)) std::abort();
    (void)url->host();
    (void)url->user();
    (void)url->password();
    (void)url->path();
    (void)url->percentDecodedQuery();
    (void)url->queryItems();
    (void)url->isFileURL();
    // Resolving against a base without a scheme or host can give text of no such URL (RFC 3986
    // 5.2): "" (the rest of a base of only a fragment), "x://y" (a path starting "//"), "a:b" (a
    // first segment with a colon). It reads back with a host or scheme it did not have.
    if (text.empty()) return;
    auto again = ns::URL::fromString(text);
    if (again && ((again->host() && !url->host()) || (again->scheme() && !url->scheme()))) return;
    if (!again || !again->isEqual(*url) || again->scheme() != url->scheme() || again->host() != url->host() ||
        again->port() != url->port() || again->path() != url->path() || again->query() != url->query() ||
        again->fragment() != url->fragment())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    if (!(data[0] & 1)) {
        auto url = ns::URL::fromString(input);
        if (url && (input.empty() || !allowed(input))) std::abort();
        exercise(url);
        return 0;
    }
    const size_t newline = input.find('\n');
    std::string_view text = input.substr(0, newline);
    std::string_view baseText = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    auto base = ns::URL::fromString(baseText);
    exercise(base);
    exercise(ns::URL::fromString(text, base));
    return 0;
}
