// A request head as a client sends it to the server's front door. No crash; a head is refused
// only for a Content-Length no reader could take or one past the bound, with 400 or 413, and every
// readable length within the bound gets through.

#include "server/AcceptGate.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Spaces and tabs around a field's name and value, and the CR of its line end.
std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool isContentLength(std::string_view name) {
    constexpr std::string_view want = "content-length";
    if (name.size() != want.size()) return false;
    for (size_t i = 0; i < want.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != want[i]) return false;
    return true;
}

// What the head should get: 400 for an unreadable length, 413 for one over the bound, else 0;
// the first such line decides.
int expected(std::string_view head, size_t bound) {
    size_t at = head.find('\n');
    while (at != std::string_view::npos && at + 1 < head.size()) {
        size_t end = head.find('\n', at + 1);
        std::string_view line = head.substr(at + 1, end == std::string_view::npos ? std::string_view::npos : end - at - 1);
        at = end;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || !isContentLength(trim(line.substr(0, colon)))) continue;
        std::string_view value = trim(line.substr(colon + 1));
        if (value.empty()) return 400;
        unsigned __int128 n = 0;
        bool over = false;
        for (char c : value) {
            if (c < '0' || c > '9') return 400;
            if (!over) n = n * 10 + static_cast<unsigned>(c - '0');
            if (n > bound) over = true;
        }
        if (over) return 413;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the bound, so lengths near each edge are reached.
    static const size_t bounds[] = {0, 1, 64 << 10, 1 << 20, SIZE_MAX};
    size_t bound = bounds[data[0] % (sizeof bounds / sizeof bounds[0])];
    std::string_view head(reinterpret_cast<const char*>(data) + 1, size - 1);
    auto verdict = vx::server::AcceptGate::judge(head, bound);
    if (verdict.status != expected(head, bound)) std::abort();
    if (verdict.status != 0 && verdict.text.empty()) std::abort();
    return 0;
}
