#include "os/foundation/Strings.h"

#include "os/foundation/Sandbox.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace ns {

namespace {

struct Decoded {
    char32_t cp;
    size_t length; // bytes
    bool valid;
};

// One character at byte i; an invalid byte decodes as U+FFFD of length 1.
Decoded decodeAt(std::string_view s, size_t i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return {c, 1, true};
    size_t need;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) { need = 1; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { need = 2; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { need = 3; cp = c & 0x07; min = 0x10000; }
    else return {0xFFFD, 1, false};
    if (s.size() - i <= need) return {0xFFFD, 1, false};
    for (size_t k = 1; k <= need; ++k) {
        auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return {0xFFFD, 1, false};
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0xFFFD, 1, false};
    return {cp, need + 1, true};
}

size_t units(const Decoded& d) { return d.valid && d.cp >= 0x10000 ? 2 : 1; }

bool validUTF8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        Decoded d = decodeAt(s, i);
        if (!d.valid) return false;
        i += d.length;
    }
    return true;
}

template <class F> void forEachCharacter(std::string_view s, F f) {
    for (size_t i = 0; i < s.size();) {
        Decoded d = decodeAt(s, i);
        f(d, i);
        i += d.length;
    }
}

size_t saturatingAdd(size_t a, size_t b) { return a + b < a ? static_cast<size_t>(-1) : a + b; }

bool isASCIIAlnum(char32_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

const char hexDigits[] = "0123456789ABCDEF";

void appendEscaped(std::string& out, unsigned char byte) {
    out += '%';
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 0x0F];
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Collapses runs of "/" and drops a trailing "/" (except for the root itself).
std::string fixSlashes(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

// Start of the last component of a path already passed through fixSlashes.
size_t lastComponentStart(const std::string& fixed) {
    auto slash = fixed.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

} // namespace

// --- CharacterSet ---

CharacterSet CharacterSet::characters(std::string_view utf8) { return CharacterSet().adding(utf8); }

CharacterSet CharacterSet::adding(std::string_view utf8) const {
    CharacterSet set = *this;
    forEachCharacter(utf8, [&](const Decoded& d, size_t) {
        if (!d.valid) return;
        if (d.cp < 128) set.ascii_.set(d.cp);
        else set.others_.push_back(d.cp);
    });
    std::sort(set.others_.begin(), set.others_.end());
    set.others_.erase(std::unique(set.others_.begin(), set.others_.end()), set.others_.end());
    return set;
}

bool CharacterSet::contains(char32_t c) const {
    if (c < 128) return ascii_.test(c) || (unicodeAlphanumerics_ && isASCIIAlnum(c));
    if (unicodeAlphanumerics_ && (U_GET_GC_MASK(static_cast<UChar32>(c)) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)))
        return true;
    return std::binary_search(others_.begin(), others_.end(), c);
}

static CharacterSet asciiAlnumPlus(std::string_view extra) {
    return CharacterSet::characters("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ").adding(extra);
}

const CharacterSet& CharacterSet::URLQueryAllowed() {
    static const CharacterSet set = asciiAlnumPlus("!$&'()*+,-./:;=?@_~");
    return set;
}

const CharacterSet& CharacterSet::URLPathAllowed() {
    static const CharacterSet set = asciiAlnumPlus("!$&'()*+,-./:=@_~");
    return set;
}

const CharacterSet& CharacterSet::URLHostAllowed() {
    static const CharacterSet set = asciiAlnumPlus("!$&'()*+,-.:;=[]_~");
    return set;
}

const CharacterSet& CharacterSet::alphanumerics() {
    static const CharacterSet set = [] {
        CharacterSet s;
        s.unicodeAlphanumerics_ = true;
        return s;
    }();
    return set;
}

namespace str {

// --- UTF-16 ---

size_t utf16Length(std::string_view text) {
    size_t n = 0;
    forEachCharacter(text, [&](const Decoded& d, size_t) { n += units(d); });
    return n;
}

size_t utf8Offset(std::string_view text, size_t index) {
    size_t unit = 0;
    for (size_t i = 0; i < text.size();) {
        if (unit >= index) return i;
        Decoded d = decodeAt(text, i);
        if (unit + units(d) > index) return i; // inside a surrogate pair: the pair's start
        unit += units(d);
        i += d.length;
    }
    return text.size();
}

std::string utf16Substring(std::string_view text, size_t from, size_t length) {
    size_t begin = utf8Offset(text, from);
    size_t end = utf8Offset(text, saturatingAdd(from, length));
    return std::string(text.substr(begin, end - begin));
}

std::string utf16SubstringFrom(std::string_view text, size_t from) {
    return std::string(text.substr(utf8Offset(text, from)));
}

std::string utf16SubstringTo(std::string_view text, size_t to) {
    return std::string(text.substr(0, utf8Offset(text, to)));
}

Range utf16RangeOf(std::string_view text, std::string_view needle) {
    auto pos = needle.empty() ? std::string_view::npos : text.find(needle);
    if (pos == std::string_view::npos) return {Range::NotFound, 0};
    return {utf16Length(text.substr(0, pos)), utf16Length(needle)};
}

std::string utf16ReplacingCharacters(std::string_view text, Range range, std::string_view replacement) {
    size_t begin = utf8Offset(text, range.location);
    size_t end = utf8Offset(text, saturatingAdd(range.location, range.length));
    std::string out(text.substr(0, begin));
    out += replacement;
    out += text.substr(end);
    return out;
}

// --- Comparing and searching ---

bool contains(std::string_view text, std::string_view needle) {
    return !needle.empty() && text.find(needle) != std::string_view::npos;
}

bool hasPrefix(std::string_view text, std::string_view prefix) { return !prefix.empty() && text.starts_with(prefix); }

bool hasSuffix(std::string_view text, std::string_view suffix) { return !suffix.empty() && text.ends_with(suffix); }

bool isEqual(std::string_view a, std::string_view b) { return a == b; }

bool isEqual(const std::optional<std::string>& a, std::string_view b) { return a && *a == b; }

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    if (separator.empty()) return {std::string(text)};
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        auto pos = text.find(separator, start);
        if (pos == std::string_view::npos) break;
        parts.emplace_back(text.substr(start, pos - start));
        start = pos + separator.size();
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

std::string replacingOccurrences(std::string_view text, std::string_view target, std::string_view replacement) {
    if (target.empty()) return std::string(text);
    std::string out;
    size_t start = 0;
    for (;;) {
        auto pos = text.find(target, start);
        if (pos == std::string_view::npos) break;
        out += text.substr(start, pos - start);
        out += replacement;
        start = pos + target.size();
    }
    out += text.substr(start);
    return out;
}

// --- Characters ---

bool isWhitespaceOrNewline(char32_t c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
    return (U_GET_GC_MASK(static_cast<UChar32>(c)) & (U_GC_ZS_MASK | U_GC_ZL_MASK | U_GC_ZP_MASK)) != 0;
}

std::string trimmingWhitespaceAndNewlines(std::string_view text) {
    size_t begin = text.size();
    size_t end = 0;
    forEachCharacter(text, [&](const Decoded& d, size_t i) {
        if (d.valid && isWhitespaceOrNewline(d.cp)) return;
        begin = std::min(begin, i);
        end = i + d.length;
    });
    return begin >= end ? std::string() : std::string(text.substr(begin, end - begin));
}

std::string lowercase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string uppercase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool consistsOf(std::string_view text, const CharacterSet& set) {
    if (text.empty()) return false;
    bool all = true;
    forEachCharacter(text, [&](const Decoded& d, size_t) { all = all && d.valid && set.contains(d.cp); });
    return all;
}

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool matchesPredicate(std::string_view text, std::string_view pattern) {
    // Compiled patterns are immutable and shared between threads; an invalid one is cached as null.
    static std::mutex cacheMutex;
    static std::unordered_map<std::string, std::shared_ptr<icu::RegexPattern>> cache;
    std::shared_ptr<icu::RegexPattern> compiled;
    {
        std::lock_guard lock(cacheMutex);
        auto it = cache.find(std::string(pattern));
        if (it != cache.end()) {
            compiled = it->second;
        } else {
            UErrorCode status = U_ZERO_ERROR;
            UParseError parseError;
            auto source = icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), static_cast<int32_t>(pattern.size())));
            compiled.reset(icu::RegexPattern::compile(source, 0, parseError, status));
            if (U_FAILURE(status)) compiled.reset();
            if (cache.size() >= 256) cache.clear();
            cache.emplace(std::string(pattern), compiled);
        }
    }
    if (!compiled) return false;
    UErrorCode status = U_ZERO_ERROR;
    auto input = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(input, status));
    if (U_FAILURE(status) || !matcher) return false;
    bool whole = matcher->matches(status);
    return U_SUCCESS(status) && whole;
}

// --- Percent escapes ---

std::string addingLegacyPercentEscapes(std::string_view text) {
    static const CharacterSet legal = asciiAlnumPlus("-_.!~*'();/?:@&=+$,%#");
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 128 && legal.contains(byte)) out += c;
        else appendEscaped(out, byte);
    }
    return out;
}

std::string addingPercentEncoding(std::string_view text, const CharacterSet& allowed) {
    std::string out;
    out.reserve(text.size());
    forEachCharacter(text, [&](const Decoded& d, size_t i) {
        if (d.valid && allowed.contains(d.cp)) {
            out += text.substr(i, d.length);
            return;
        }
        for (size_t k = 0; k < d.length; ++k) appendEscaped(out, static_cast<unsigned char>(text[i + k]));
    });
    return out;
}

std::optional<std::string> removingPercentEncoding(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int hi = hexValue(text[i + 1]);
        int lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    if (!validUTF8(out)) return std::nullopt;
    return out;
}

// --- Paths ---

std::string lastPathComponent(std::string_view path) {
    std::string fixed = fixSlashes(path);
    if (fixed == "/") return fixed;
    return fixed.substr(lastComponentStart(fixed));
}

std::string pathExtension(std::string_view path) {
    std::string fixed = fixSlashes(path);
    size_t start = lastComponentStart(fixed);
    auto dot = fixed.rfind('.');
    if (dot == std::string::npos || dot <= start) return {};
    return fixed.substr(dot + 1);
}

std::string stringByDeletingPathExtension(std::string_view path) {
    std::string fixed = fixSlashes(path);
    size_t start = lastComponentStart(fixed);
    auto dot = fixed.rfind('.');
    if (dot == std::string::npos || dot <= start) return fixed;
    return fixed.substr(0, dot);
}

std::string stringByDeletingLastPathComponent(std::string_view path) {
    std::string fixed = fixSlashes(path);
    if (fixed == "/") return fixed;
    auto slash = fixed.rfind('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return fixed.substr(0, slash);
}

std::string stringByAppendingPathComponent(std::string_view path, std::string_view component) {
    if (path.empty()) return fixSlashes(component);
    if (component.empty()) return fixSlashes(path);
    std::string joined(path);
    joined += '/';
    joined += component;
    return fixSlashes(joined);
}

std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension) {
    std::string fixed = fixSlashes(path);
    if (fixed.empty() || fixed == "/" || extension.find('/') != std::string_view::npos) return std::string(path);
    return fixed + "." + std::string(extension);
}

std::string stringByExpandingTildeInPath(std::string_view path) {
    if (path.empty() || path[0] != '~') return std::string(path);
    auto slash = path.find('/');
    std::string_view user = path.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1);
    std::string_view rest = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
    std::string home;
    if (user.empty()) {
        home = sandboxRoot();
    } else {
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (getpwnam_r(std::string(user).c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
            return std::string(path);
        home = found->pw_dir;
    }
    return fixSlashes(home + std::string(rest));
}

} // namespace str
} // namespace ns
