#include "os/foundation/PropertyList.h"

#include "os/foundation/PlistTree.h"
#include "os/foundation/UTF8.h"

#include <plist/plist.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace ns {

namespace plisttree {

void NodeDeleter::operator()(void* node) const {
    if (node) plist_free(static_cast<plist_t>(node));
}

namespace {

// Deepest nesting of <array> and <dict> elements, counted on the raw text (comments included, which
// can only make the count larger).
int xmlDepth(std::string_view text) {
    int depth = 0, deepest = 0;
    for (size_t i = text.find('<'); i != std::string_view::npos; i = text.find('<', i + 1)) {
        std::string_view rest = text.substr(i + 1);
        bool closing = !rest.empty() && rest[0] == '/';
        if (closing) rest.remove_prefix(1);
        size_t nameLength = rest.starts_with("array") ? 5 : rest.starts_with("dict") ? 4 : 0;
        if (!nameLength || rest.size() <= nameLength) continue;
        char after = rest[nameLength];
        if (after != '>' && after != ' ' && after != '\t' && after != '\r' && after != '\n' && after != '/') continue;
        size_t end = rest.find_first_of("<>"); // never past the next tag, so the scan stays linear
        bool selfClosing = end != std::string_view::npos && rest[end] == '>' && rest[end - 1] == '/';
        if (closing) depth = depth > 0 ? depth - 1 : 0;
        else if (!selfClosing) deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

uint64_t bigEndian(const uint8_t* p, size_t size) {
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i) v = (v << 8) | p[i];
    return v;
}

// Checks the object graph of a binary plist (offset table, references, containers, texts) and that no
// path from the top object is longer than the limit or loops; the values themselves are left to libplist.
bool binaryShapeIsSafe(const Data& data, int maxDepth) {
    const uint8_t* b = data.bytes();
    size_t size = data.length();
    if (size < 8 + 32) return false;
    const uint8_t* trailer = b + size - 32;
    size_t offsetSize = trailer[6], refSize = trailer[7];
    uint64_t count = bigEndian(trailer + 8, 8), top = bigEndian(trailer + 16, 8), table = bigEndian(trailer + 24, 8);
    size_t limit = size - 32;
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8) return false;
    if (count == 0 || count > limit || top >= count || table < 8 || table > limit) return false;
    if ((limit - table) / offsetSize < count) return false;

    auto offsetOf = [&](uint64_t index) { return bigEndian(b + table + index * offsetSize, offsetSize); };
    // References of a container object, or false when the object is malformed. Texts holding a NUL
    // character are refused too: libplist aborts on them.
    auto references = [&](uint64_t index, std::vector<uint64_t>& refs) {
        refs.clear();
        uint64_t at = offsetOf(index);
        if (at < 8 || at >= table) return false;
        uint8_t marker = b[at];
        int type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD && type != 0x5 && type != 0x6) return true;
        uint64_t n = marker & 0xF;
        uint64_t pos = at + 1;
        if (n == 0xF) {
            if (pos >= table || (b[pos] >> 4) != 0x1) return false;
            size_t width = size_t{1} << (b[pos] & 0xF);
            if (width > 8 || pos + 1 + width > table) return false;
            n = bigEndian(b + pos + 1, width);
            pos += 1 + width;
        }
        if (type == 0x5 || type == 0x6) {
            uint64_t unit = type == 0x5 ? 1 : 2;
            if (n > (table - pos) / unit) return false;
            for (uint64_t i = 0; i < n; ++i)
                if (b[pos + i * unit] == 0 && (unit == 1 || b[pos + i * unit + 1] == 0)) return false;
            return true;
        }
        uint64_t total = type == 0xD ? n * 2 : n;
        if (n > limit || total > (table - pos) / refSize) return false;
        refs.reserve(static_cast<size_t>(total));
        for (uint64_t i = 0; i < total; ++i) {
            uint64_t r = bigEndian(b + pos + i * refSize, refSize);
            if (r >= count) return false;
            refs.push_back(r);
        }
        return true;
    };

    // Depth-first walk without recursion: 0 unseen, 1 on the path, 2 finished. libplist copies an
    // object for every reference to it, so the size of the tree it would build is counted too.
    std::vector<uint8_t> state(static_cast<size_t>(count), 0);
    std::vector<uint64_t> treeSize(static_cast<size_t>(count), 0);
    struct Step {
        uint64_t index;
        std::vector<uint64_t> refs;
        size_t next = 0;
        uint64_t size = 1;
    };
    std::vector<Step> path;
    path.push_back(Step{top, {}});
    if (!references(top, path.back().refs)) return false;
    state[top] = 1;
    while (!path.empty()) {
        Step& step = path.back();
        if (step.next == step.refs.size()) {
            state[step.index] = 2;
            treeSize[step.index] = step.size;
            uint64_t size = step.size;
            path.pop_back();
            if (!path.empty() && (path.back().size += size) > PropertyList::MaxNodes) return false;
            continue;
        }
        uint64_t child = step.refs[step.next++];
        if (state[child] == 1) return false; // a loop
        if (state[child] == 2) {
            if ((step.size += treeSize[child]) > PropertyList::MaxNodes) return false;
            continue;
        }
        if (path.size() >= static_cast<size_t>(maxDepth)) return false;
        Step next{child, {}};
        if (!references(child, next.refs)) return false;
        state[child] = 1;
        path.push_back(std::move(next));
    }
    return true;
}

constexpr int64_t kSecondsFrom1970To2001 = 978307200;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y = yoe + era * 400 + (m <= 2);
}

// XML dates: "YYYY-MM-DDTHH:MM:SS[.fraction]Z", UTC, years 0000 to 9999.
constexpr double kEarliestXMLDate = -63145526400.0; // 0000-01-01T00:00:00Z, seconds after 2001
constexpr double kEndOfXMLDates = 252423993600.0;   // 10000-01-01T00:00:00Z

std::optional<std::string> xmlDateText(double seconds) {
    if (!(seconds >= kEarliestXMLDate && seconds < kEndOfXMLDates)) return std::nullopt;
    double whole = std::floor(seconds);
    auto micros = static_cast<int64_t>(std::llround((seconds - whole) * 1e6));
    auto s = static_cast<int64_t>(whole) + kSecondsFrom1970To2001;
    if (micros == 1000000) ++s, micros = 0;
    int64_t days = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
    int64_t inDay = s - days * 86400;
    int64_t y, m, d;
    civilFromDays(days, y, m, d);
    if (y > 9999) return std::nullopt;
    char buf[160]; // room for any int64 fields, so the optimiser sees no truncation
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(inDay / 3600),
                  static_cast<long long>(inDay / 60 % 60), static_cast<long long>(inDay % 60));
    std::string text = buf;
    if (micros) {
        std::snprintf(buf, sizeof buf, ".%06lld", static_cast<long long>(micros));
        std::string fraction = buf;
        while (fraction.back() == '0') fraction.pop_back();
        text += fraction;
    }
    return text + "Z";
}

std::optional<double> xmlDateSeconds(std::string_view t) {
    auto number = [&](size_t at, size_t digits, int64_t& out) {
        if (at + digits > t.size()) return false;
        out = 0;
        for (size_t i = at; i < at + digits; ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            out = out * 10 + (t[i] - '0');
        }
        return true;
    };
    int64_t y, mo, d, h, mi, s;
    if (!number(0, 4, y) || t.size() < 20 || t[4] != '-' || !number(5, 2, mo) || t[7] != '-' || !number(8, 2, d) ||
        t[10] != 'T' || !number(11, 2, h) || t[13] != ':' || !number(14, 2, mi) || t[16] != ':' || !number(17, 2, s))
        return std::nullopt;
    static const int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo < 1 || mo > 12 || d < 1 || d > kMonthDays[mo - 1] || (mo == 2 && d == 29 && !leap) || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    double fraction = 0;
    size_t at = 19;
    if (t[at] == '.') {
        double scale = 0.1;
        size_t start = ++at;
        for (; at < t.size() && t[at] >= '0' && t[at] <= '9'; ++at, scale /= 10) fraction += (t[at] - '0') * scale;
        if (at == start) return std::nullopt;
    }
    if (at + 1 != t.size() || t[at] != 'Z') return std::nullopt;
    int64_t whole = daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - kSecondsFrom1970To2001;
    return static_cast<double>(whole) + fraction;
}

void putBigEndian(uint8_t* p, uint64_t v, size_t size) {
    for (size_t i = size; i-- > 0; v >>= 8) p[i] = static_cast<uint8_t>(v & 0xFF);
}

// Calls f(offset, marker) for every object of a binary plist whose marker is a date's (0x3N), once
// per offset. False when the trailer or offset table is not sound.
template <typename F>
bool forEachBinaryDate(const uint8_t* b, size_t size, F&& f) {
    if (size < 8 + 32) return false;
    const uint8_t* trailer = b + size - 32;
    size_t offsetSize = trailer[6];
    uint64_t count = bigEndian(trailer + 8, 8), table = bigEndian(trailer + 24, 8);
    size_t limit = size - 32;
    if (offsetSize < 1 || offsetSize > 8 || count > limit || table < 8 || table > limit) return false;
    if ((limit - table) / offsetSize < count) return false;
    std::vector<uint64_t> seen;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t at = bigEndian(b + table + i * offsetSize, offsetSize);
        if (at < 8 || at >= table || (b[at] >> 4) != 0x3) continue;
        seen.push_back(at);
    }
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    for (uint64_t at : seen) {
        size_t width = size_t{1} << (b[at] & 0xF);
        if ((b[at] & 0xF) > 3 || at + 1 + width > table) continue; // libplist refuses these too
        f(static_cast<size_t>(at), b[at]);
    }
    return true;
}

// Reads every binary date, leaving its index in its place.
bool standInBinaryDates(std::string& bytes, DateTable& dates) {
    auto* b = reinterpret_cast<uint8_t*>(bytes.data());
    return forEachBinaryDate(b, bytes.size(), [&](size_t at, uint8_t marker) {
        auto index = static_cast<double>(dates.seconds.size());
        if (marker == 0x33) {
            uint64_t bits = bigEndian(b + at + 1, 8);
            double value;
            std::memcpy(&value, &bits, 8);
            dates.seconds.push_back(value);
            std::memcpy(&bits, &index, 8);
            putBigEndian(b + at + 1, bits, 8);
        } else if (marker == 0x32) {
            auto bits = static_cast<uint32_t>(bigEndian(b + at + 1, 4));
            float value;
            std::memcpy(&value, &bits, 4);
            dates.seconds.push_back(value);
            auto stand = static_cast<float>(index);
            std::memcpy(&bits, &stand, 4);
            putBigEndian(b + at + 1, bits, 4);
        } else {
            dates.seconds.push_back(std::nan("")); // a width libplist refuses; never read
        }
    });
}

// Calls f(begin, end) for the text of every <date> element of an XML plist, skipping comments,
// CDATA sections, declarations and processing instructions. False for a date element it cannot read.
template <typename F>
bool forEachXMLDate(std::string_view t, F&& f) {
    size_t i = 0;
    while ((i = t.find('<', i)) != std::string_view::npos) {
        std::string_view rest = t.substr(i);
        auto skipTo = [&](std::string_view end) {
            size_t e = t.find(end, i + 1);
            i = e == std::string_view::npos ? t.size() : e + end.size();
        };
        if (rest.starts_with("<!--")) skipTo("-->");
        else if (rest.starts_with("<![CDATA[")) skipTo("]]>");
        else if (rest.starts_with("<?")) skipTo("?>");
        else if (rest.starts_with("<!")) skipTo(">");
        else {
            size_t nameEnd = rest.find_first_of(" \t\r\n/>", 1);
            if (nameEnd != std::string_view::npos && rest.substr(1, nameEnd - 1) == "date") {
                if (!rest.starts_with("<date>")) return false;
                size_t begin = i + 6, end = t.find('<', begin);
                if (end == std::string_view::npos || !t.substr(end).starts_with("</date>")) return false;
                if (!f(begin, end)) return false;
                i = end + 7;
            } else {
                ++i;
            }
        }
    }
    return true;
}

// Reads every XML date, leaving a placeholder date (its index in seconds after 2001) in its place.
bool standInXMLDates(std::string& text, DateTable& dates) {
    std::string out;
    size_t copied = 0;
    bool ok = forEachXMLDate(text, [&](size_t begin, size_t end) {
        auto seconds = xmlDateSeconds(std::string_view(text).substr(begin, end - begin));
        if (!seconds) return false;
        out.append(text, copied, begin - copied);
        out += *xmlDateText(static_cast<double>(dates.seconds.size()));
        dates.seconds.push_back(*seconds);
        copied = end;
        return true;
    });
    if (!ok) return false;
    if (!dates.seconds.empty()) text = out + text.substr(copied);
    return true;
}

} // namespace

Node parse(const Data& data, std::string* failure, PropertyList::Format* format) {
    auto fail = [&](const char* why) {
        if (failure) *failure = why;
        return Node();
    };
    if (data.length() == 0) return fail("Empty data.");
    if (data.length() > UINT32_MAX) return fail("Data too large.");
    auto dates = std::make_shared<DateTable>();
    std::string bytes(data.view());
    plist_t root = nullptr;
    if (data.length() >= 8 && std::memcmp(bytes.data(), "bplist00", 8) == 0) {
        if (!binaryShapeIsSafe(data, PropertyList::MaxDepth)) return fail("Corrupt, too deeply nested or too large binary property list.");
        if (!standInBinaryDates(bytes, *dates)) return fail("Corrupt binary property list.");
        // Objects may overlap in a forged file: the shape is checked again on the bytes libplist reads.
        if (!dates->seconds.empty() && !binaryShapeIsSafe(Data(std::vector<uint8_t>(bytes.begin(), bytes.end())), PropertyList::MaxDepth))
            return fail("Corrupt binary property list.");
        if (format) *format = PropertyList::Format::Binary;
        plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    } else {
        // XML has no NUL characters, and libplist aborts on texts that hold one.
        if (data.view().find('\0') != std::string_view::npos) return fail("Unreadable property list.");
        if (xmlDepth(data.view()) > PropertyList::MaxDepth) return fail("Property list nested too deeply.");
        dates->xml = true;
        if (!standInXMLDates(bytes, *dates)) return fail("Property list date unreadable (YYYY-MM-DDTHH:MM:SS[.f]Z, years 0000 to 9999).");
        if (format) *format = PropertyList::Format::XML;
        plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    }
    if (!root) return fail("Unreadable property list.");
    return Node(root, NodeDeleter{std::move(dates)});
}

std::vector<void*> arrayItems(void* array) {
    std::vector<void*> items;
    if (!array || plist_get_node_type(static_cast<plist_t>(array)) != PLIST_ARRAY) return items;
    items.reserve(plist_array_get_size(static_cast<plist_t>(array)));
    plist_array_iter it = nullptr;
    plist_array_new_iter(static_cast<plist_t>(array), &it);
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(static_cast<plist_t>(array), it, &item);
        if (!item) break;
        items.push_back(item);
    }
    std::free(it);
    return items;
}

DataRef serialize(void* root, PropertyList::Format format) {
    char* out = nullptr;
    uint32_t length = 0;
    if (format == PropertyList::Format::Binary) plist_to_bin(static_cast<plist_t>(root), &out, &length);
    else plist_to_xml(static_cast<plist_t>(root), &out, &length);
    if (!out) return nullptr;
    auto data = Data::make(out, length);
    if (format == PropertyList::Format::Binary) plist_to_bin_free(out);
    else plist_to_xml_free(out);
    return data;
}

} // namespace plisttree

namespace {

constexpr double SecondsFrom1970To2001 = 978307200;

// Dates read back from the parser's table; each XML placeholder must be met exactly once.
struct DateReader {
    const plisttree::DateTable* table = nullptr;
    std::vector<uint32_t> uses;
    std::string failure;
};

Value fromPlist(plist_t node, int depth, DateReader& dates) {
    if (depth > PropertyList::MaxDepth) return {};
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT: {
        // libplist keeps integers as 64-bit patterns; they read as signed.
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return Value(static_cast<long long>(u));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(d);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* s = plist_get_string_ptr(node, &length);
        std::string text = s ? std::string(s, static_cast<size_t>(length)) : std::string();
        // Texts are UTF-8 (what could not be written back is not read either): high bytes in a
        // binary list's ASCII text, or raw bytes in XML, make the list unreadable.
        if (!utf8::isValid(text)) return {};
        return Value(std::move(text));
    }
    case PLIST_DATA: {
        char* bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        auto data = Data::make(bytes, static_cast<size_t>(length));
        std::free(bytes);
        return Value(data);
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        if (!dates.table || usec != 0 || sec < 0 || static_cast<size_t>(sec) >= dates.table->seconds.size()) {
            dates.failure = "Property list date unreadable.";
            return {};
        }
        dates.uses.resize(dates.table->seconds.size());
        ++dates.uses[static_cast<size_t>(sec)];
        double seconds = dates.table->seconds[static_cast<size_t>(sec)];
        if (!std::isfinite(seconds)) {
            dates.failure = "Property list date out of range.";
            return {};
        }
        return Value(Date{seconds + SecondsFrom1970To2001});
    }
    case PLIST_UID: {
        uint64_t uid = 0;
        plist_get_uid_val(node, &uid);
        return Value(Dictionary{{"CF$UID", Value(static_cast<unsigned long long>(uid))}});
    }
    case PLIST_ARRAY: {
        Array array;
        auto items = plisttree::arrayItems(node);
        array.reserve(items.size());
        for (void* child : items) {
            Value item = fromPlist(static_cast<plist_t>(child), depth + 1, dates);
            if (item.isNil()) return {};
            array.push_back(std::move(item));
        }
        return Value(std::move(array));
    }
    case PLIST_DICT: {
        Dictionary dict;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        bool ok = true;
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            Value v = fromPlist(item, depth + 1, dates);
            if (v.isNil() || !key || !utf8::isValid(key)) ok = false;
            else dict.set(key, std::move(v));
            std::free(key);
            if (!ok) break;
        }
        std::free(it);
        return ok ? Value(std::move(dict)) : Value();
    }
    default: return {};
    }
}

struct Converter {
    std::string failure;
    std::vector<double> dates; // seconds after 2001; the plist holds each one's index in its place

    plist_t toPlist(const Value& v, int depth) {
        if (depth > PropertyList::MaxDepth) return fail("Property list nested too deeply.");
        switch (v.kind()) {
        case Value::Kind::Bool: return plist_new_bool(v.boolValue() ? 1 : 0);
        case Value::Kind::Integer:
            // libplist has no unsigned form above the signed range; such numbers go as reals.
            if (v.isUnsignedInteger()) return plist_new_real(v.doubleValue());
            return plist_new_uint(static_cast<uint64_t>(v.integerValue()));
        case Value::Kind::Real: return plist_new_real(v.doubleValue());
        case Value::Kind::String: {
            const std::string& s = *v.stringPtr();
            if (s.find('\0') != std::string::npos || !utf8::isValid(s))
                return fail("Property list invalid for format (string not valid UTF-8 or with a NUL character).");
            return plist_new_string(s.c_str());
        }
        case Value::Kind::Data: return plist_new_data(reinterpret_cast<const char*>(v.data()->bytes()), v.data()->length());
        case Value::Kind::Date: {
            double seconds = v.date()->secondsSince1970 - SecondsFrom1970To2001;
            if (!std::isfinite(seconds)) return fail("Property list invalid for format (date out of range).");
            if (dates.size() >= INT32_MAX) return fail("Property list invalid for format (too many dates).");
            dates.push_back(seconds);
            return plist_new_date(static_cast<int32_t>(dates.size() - 1), 0);
        }
        case Value::Kind::Array: {
            plist_t array = plist_new_array();
            for (auto& item : *v.arrayPtr()) {
                plist_t child = toPlist(item, depth + 1);
                if (!child) {
                    plist_free(array);
                    return nullptr;
                }
                plist_array_append_item(array, child);
            }
            return array;
        }
        case Value::Kind::Dictionary: {
            plist_t dict = plist_new_dict();
            for (auto& [key, item] : *v.dictionaryPtr()) {
                plist_t child = key.find('\0') == std::string::npos && utf8::isValid(key) ? toPlist(item, depth + 1) : nullptr;
                if (!child) {
                    plist_free(dict);
                    return failure.empty() ? fail("Property list invalid for format (bad key).") : nullptr;
                }
                plist_dict_set_item(dict, key.c_str(), child);
            }
            return dict;
        }
        case Value::Kind::Nil: return fail("Property list invalid for format (nil).");
        case Value::Kind::Null: return fail("Property list invalid for format (NSNull).");
        case Value::Kind::Object: return fail("Property list invalid for format (" + v.object()->className() + ").");
        }
        return fail("Property list invalid for format.");
    }

private:
    plist_t fail(std::string why) {
        if (failure.empty()) failure = std::move(why);
        return nullptr;
    }
};

} // namespace

Value plisttree::toValue(void* node) {
    DateReader none;
    return node ? fromPlist(static_cast<plist_t>(node), 0, none) : Value();
}

namespace {

// Writes each date's true value where libplist wrote its index.
DataRef putDatesBack(const Data& written, PropertyList::Format format, Converter& converter) {
    std::string bytes(written.view());
    const auto& dates = converter.dates;
    bool ok;
    if (format == PropertyList::Format::Binary) {
        auto* b = reinterpret_cast<uint8_t*>(bytes.data());
        ok = plisttree::forEachBinaryDate(b, bytes.size(), [&](size_t at, uint8_t marker) {
            if (marker != 0x33) return;
            uint64_t bits = plisttree::bigEndian(b + at + 1, 8);
            double index;
            std::memcpy(&index, &bits, 8);
            if (!(index >= 0 && index < static_cast<double>(dates.size()))) return;
            std::memcpy(&bits, &dates[static_cast<size_t>(index)], 8);
            plisttree::putBigEndian(b + at + 1, bits, 8);
        });
    } else {
        std::string out;
        size_t copied = 0;
        ok = plisttree::forEachXMLDate(bytes, [&](size_t begin, size_t end) {
            auto index = plisttree::xmlDateSeconds(std::string_view(bytes).substr(begin, end - begin));
            if (!index || *index < 0 || *index >= static_cast<double>(dates.size())) return false;
            auto text = plisttree::xmlDateText(dates[static_cast<size_t>(*index)]);
            if (!text) {
                converter.failure = "Property list invalid for format (date out of range for XML: years 0000 to 9999).";
                return false;
            }
            out.append(bytes, copied, begin - copied);
            out += *text;
            copied = end;
            return true;
        });
        bytes = out + bytes.substr(copied);
    }
    if (!ok) return nullptr;
    return Data::fromString(bytes);
}

Ref<Error> makeError(long code, const std::string& debugDescription) {
    Dictionary info;
    info.set(LocalizedDescriptionKey, code == PropertyListReadCorruptError
                                          ? "The data couldn’t be read because it isn’t in the correct format."
                                          : "The data couldn’t be written because it isn’t in the correct format.");
    info.set(DebugDescriptionKey, debugDescription);
    return Error::make(CocoaErrorDomain, code, std::move(info));
}

} // namespace

Value PropertyList::read(const Data& data, Ref<Error>* error, Format* format) {
    std::string failure;
    auto root = plisttree::parse(data, &failure, format);
    DateReader dates{root ? root.get_deleter().dates.get() : nullptr, {}, {}};
    Value v = root ? fromPlist(static_cast<plist_t>(root.get()), 0, dates) : Value();
    if (!v.isNil() && dates.table && dates.table->xml) {
        // An XML date the scan saw but libplist did not, or the other way round: trust neither.
        dates.uses.resize(dates.table->seconds.size());
        for (uint32_t uses : dates.uses)
            if (uses != 1) v = Value(), dates.failure = "Property list date unreadable.";
    }
    if (failure.empty()) failure = dates.failure;
    if (v.isNil() && error) *error = makeError(PropertyListReadCorruptError, failure.empty() ? "Unreadable property list." : failure);
    return v;
}

Value PropertyList::read(const DataRef& data, Ref<Error>* error, Format* format) {
    if (!data) {
        if (error) *error = makeError(PropertyListReadCorruptError, "No data.");
        return {};
    }
    return read(*data, error, format);
}

Value PropertyList::readFile(const std::string& path, Ref<Error>* error) {
    auto data = Data::fromFile(path);
    if (!data) {
        if (error) *error = Error::make(CocoaErrorDomain, 260, "The file “" + path + "” couldn’t be opened because there is no such file.");
        return {};
    }
    return read(*data, error);
}

DataRef PropertyList::write(const Value& value, Format format, Ref<Error>* error) {
    Converter converter;
    plisttree::Node root(converter.toPlist(value, 0));
    DataRef out = root ? plisttree::serialize(root.get(), format) : nullptr;
    if (out && !converter.dates.empty()) out = putDatesBack(*out, format, converter);
    if (!out && error) *error = makeError(PropertyListWriteInvalidError, converter.failure.empty() ? "Property list could not be written." : converter.failure);
    return out;
}

bool PropertyList::isValid(const Value& value) {
    Converter converter;
    plisttree::Node root(converter.toPlist(value, 0));
    return root != nullptr;
}

} // namespace ns
