#pragma once
// What the page engine is given: a page's bytes read in their character set and turned into UTF-8
// that the engine can take whole, bounded first. A page longer than the engine should lay out is
// cut; elements nested deeper than it can walk, or more of them than it should hold, are left out
// (their text stays); a table cell spanning more columns than a table should allocate is narrowed.
// Each bound that bites says so in one log line ("web: ...").

#include <optional>
#include <string>
#include <string_view>

namespace wk {

struct PageLimits {
    // UTF-8 bytes of text kept (the engine holds about a hundred times this while laid out).
    size_t maxBytes = 512 * 1024;
    // Elements open inside each other (the engine's work for an element grows with its depth).
    int maxDepth = 128;
    // Start tags kept.
    size_t maxElements = 10000;
    // Columns one cell may span.
    long maxColumnSpan = 100;
};

struct PageSource {
    std::string html;    // valid UTF-8 without NUL bytes
    std::string charset; // what the bytes were read as: "utf-8", "gb18030", "windows-1252", ...
    bool cut = false;    // a bound was applied
};

// The character set of the bytes: a byte-order mark, else the one the response named, else a
// <meta> charset within the first 1024 bytes, else UTF-8. Labels are normalised to the names the
// text is read with ("gbk" and "gb2312" read as "gb18030", "iso-8859-1" as "windows-1252").
std::string sniffCharset(std::string_view bytes, const std::optional<std::string>& declared);

// Reads the bytes in their character set (sequences that are not characters become U+FFFD) and
// applies the limits.
PageSource preparePage(std::string_view bytes, const std::optional<std::string>& declaredCharset,
                       const PageLimits& limits = {});

} // namespace wk
