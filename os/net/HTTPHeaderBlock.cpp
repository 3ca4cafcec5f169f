#include "os/net/HTTPHeaderBlock.h"

#include "os/foundation/Strings.h"

#include <algorithm>
#include <climits>

namespace ns::detail {

namespace {

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x) == (y >= 'A' && y <= 'Z' ? y - 'A' + 'a' : y);
           });
}

// A field name is a token: letters, digits and a few marks, nothing else.
bool isToken(std::string_view name) {
    static constexpr std::string_view marks = "!#$%&'*+-.^_`|~";
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               marks.find(c) != std::string_view::npos;
    });
}

std::string trim(std::string_view s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    size_t b = s.find_last_not_of(" \t");
    return std::string(s.substr(a, b - a + 1));
}

} // namespace

HTTPHeaderBlock::Line HTTPHeaderBlock::add(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    // A bare CR or a NUL inside a line makes it malformed: it is skipped, never half read.
    if (line.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos) return Line::Ignored;
    if (str::hasPrefix(line, "HTTP/")) {
        fields_.clear();
        size_t space = line.find(' ');
        long long code = space == std::string_view::npos ? 0 : numtext::integerValue(line.substr(space + 1));
        status_ = static_cast<long>(std::clamp<long long>(code, LONG_MIN, LONG_MAX));
        return Line::Status;
    }
    if (line.empty()) return Line::End;
    // A folded line continues the field before it.
    if (line.front() == ' ' || line.front() == '\t') {
        if (fields_.empty()) return Line::Ignored;
        std::string more = trim(line);
        if (!more.empty()) fields_.back().second += (fields_.back().second.empty() ? "" : " ") + more;
        return Line::Field;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return Line::Ignored;
    std::string name = trim(line.substr(0, colon));
    if (!isToken(name)) return Line::Ignored;
    fields_.emplace_back(std::move(name), trim(line.substr(colon + 1)));
    return Line::Field;
}

bool HTTPHeaderBlock::has(std::string_view name) const {
    return std::any_of(fields_.begin(), fields_.end(), [&](const auto& f) { return iequals(f.first, name); });
}

Dictionary HTTPHeaderBlock::joined() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [name, value] : fields_) {
        const auto& key = name;
        auto same = std::find_if(out.begin(), out.end(), [&](const auto& h) { return iequals(h.first, key); });
        if (same == out.end()) out.emplace_back(name, value);
        else same->second += ", " + value;
    }
    Dictionary fields;
    for (auto& [name, value] : out) fields.set(std::move(name), std::move(value));
    return fields;
}

} // namespace ns::detail
