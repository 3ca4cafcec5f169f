#include "os/foundation/Value.h"

#include <locale.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace ns {

// ---------- text numbers ----------
namespace numtext {
namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// strtod in the C locale, whatever the process locale says about the decimal point.
double strtodC(const char* text) {
    static locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c ? ::strtod_l(text, nullptr, c) : std::strtod(text, nullptr);
}

// Lays out the shortest digits of a number the way %g does: fixed from 1e-4 up to 10^threshold,
// else d.ddde+XX.
template <class T> std::string layout(T value, int threshold) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string sci(buf, res.ptr);
    bool neg = sci[0] == '-';
    if (neg) sci.erase(0, 1);
    size_t e = sci.find('e');
    int exp = std::atoi(sci.c_str() + e + 1);
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (sci[i] != '.') digits += sci[i];
    std::string out = neg ? "-" : "";
    if (exp < -4 || exp >= threshold) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        char ebuf[16];
        std::snprintf(ebuf, sizeof ebuf, "e%c%02d", exp < 0 ? '-' : '+', exp < 0 ? -exp : exp);
        return out + ebuf;
    }
    if (exp < 0) return out + "0." + std::string(static_cast<size_t>(-exp - 1), '0') + digits;
    size_t intDigits = static_cast<size_t>(exp) + 1;
    if (digits.size() <= intDigits) return out + digits + std::string(intDigits - digits.size(), '0');
    return out + digits.substr(0, intDigits) + "." + digits.substr(intDigits);
}
} // namespace

long long integerValue(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && isSpace(t[i])) ++i;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
    unsigned long long acc = 0;
    bool overflow = false;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        if (acc > (ULLONG_MAX - 9) / 10) overflow = true;
        if (!overflow) acc = acc * 10 + static_cast<unsigned>(t[i] - '0');
    }
    constexpr unsigned long long limit = static_cast<unsigned long long>(LLONG_MAX);
    if (neg) return (overflow || acc > limit) ? LLONG_MIN : -static_cast<long long>(acc);
    return (overflow || acc > limit) ? LLONG_MAX : static_cast<long long>(acc);
}

double doubleValue(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && isSpace(t[i])) ++i;
    size_t start = i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (!digits) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t e = i + 1;
        if (e < t.size() && (t[e] == '+' || t[e] == '-')) ++e;
        if (e < t.size() && t[e] >= '0' && t[e] <= '9') {
            while (e < t.size() && t[e] >= '0' && t[e] <= '9') ++e;
            i = e;
        }
    }
    std::string part(t.substr(start, i - start));
    return strtodC(part.c_str());
}

bool boolValue(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && isSpace(t[i])) ++i;
    if (i < t.size() && (t[i] == 'Y' || t[i] == 'y' || t[i] == 'T' || t[i] == 't')) return true;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    while (i < t.size() && t[i] == '0') ++i;
    return i < t.size() && t[i] >= '1' && t[i] <= '9';
}

std::string shortest(double d) {
    if (std::isnan(d)) return "nan";
    if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
    if (d == 0) return std::signbit(d) ? "-0" : "0";
    return layout(d, 16);
}

std::string shortest(float f) {
    if (std::isnan(f) || std::isinf(f) || f == 0) return shortest(static_cast<double>(f));
    return layout(f, 7);
}
} // namespace numtext

// ---------- Dictionary ----------
Dictionary::Dictionary(std::initializer_list<std::pair<std::string, Value>> items) {
    for (auto& [k, v] : items) set(k, v);
}

const Value* Dictionary::find(std::string_view key) const {
    if (!index_.empty()) {
        auto it = index_.find(std::string(key));
        return it == index_.end() ? nullptr : &items_[it->second].second;
    }
    for (auto& item : items_)
        if (item.first == key) return &item.second;
    return nullptr;
}

const Value& Dictionary::operator[](std::string_view key) const {
    auto p = find(key);
    return p ? *p : Value::nilValue();
}

void Dictionary::set(std::string key, Value value) {
    if (value.isNil()) {
        remove(key);
        return;
    }
    if (auto p = const_cast<Value*>(find(key))) {
        *p = std::move(value);
        return;
    }
    items_.emplace_back(std::move(key), std::move(value));
    if (!index_.empty()) index_.emplace(items_.back().first, items_.size() - 1);
    else if (items_.size() > IndexThreshold) rebuildIndex();
}

void Dictionary::remove(std::string_view key) {
    auto before = items_.size();
    std::erase_if(items_, [&](const Item& item) { return item.first == key; });
    if (items_.size() != before && !index_.empty()) rebuildIndex();
}

void Dictionary::rebuildIndex() {
    index_.clear();
    if (items_.size() <= IndexThreshold) return;
    index_.reserve(items_.size());
    for (size_t i = 0; i < items_.size(); ++i) index_.emplace(items_[i].first, i);
}

std::vector<std::string> Dictionary::keys() const {
    std::vector<std::string> out;
    out.reserve(items_.size());
    for (auto& item : items_) out.push_back(item.first);
    return out;
}

bool Dictionary::operator==(const Dictionary& other) const {
    if (count() != other.count()) return false;
    for (auto& [k, v] : items_) {
        auto p = other.find(k);
        if (!p || *p != v) return false;
    }
    return true;
}

// ---------- Value ----------
Value::Value(bool b) : v_(b) {}
Value::Value(long long i) : v_(i) {}
Value::Value(unsigned long long i) {
    if (i > static_cast<unsigned long long>(LLONG_MAX)) v_ = i;
    else v_ = static_cast<long long>(i);
}
Value::Value(double d) : v_(d) {}
Value::Value(float f) : v_(f) {}
Value::Value(const char* s) {
    if (s) v_ = std::make_shared<std::string>(s);
}
Value::Value(std::string s) : v_(std::make_shared<std::string>(std::move(s))) {}
Value::Value(const std::optional<std::string>& s) {
    if (s) v_ = std::make_shared<std::string>(*s);
}
Value::Value(ns::Date d) : v_(d) {}
Value::Value(ns::Array a) : v_(std::make_shared<ns::Array>(std::move(a))) {}
Value::Value(ns::Dictionary d) : v_(std::make_shared<ns::Dictionary>(std::move(d))) {}

Value Value::null() {
    Value v;
    v.v_ = NullTag{};
    return v;
}

const Value& Value::nilValue() {
    static const Value nil;
    return nil;
}

Value::Kind Value::kind() const {
    if (std::holds_alternative<unsigned long long>(v_)) return Kind::Integer;
    if (std::holds_alternative<float>(v_)) return Kind::Real;
    return static_cast<Kind>(v_.index());
}

bool Value::isNumber() const {
    auto k = kind();
    return k == Kind::Bool || k == Kind::Integer || k == Kind::Real;
}

namespace {
long long clampToLongLong(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9.2233720368547758e18) return LLONG_MAX;
    if (d <= -9.2233720368547758e18) return LLONG_MIN;
    return static_cast<long long>(d);
}
} // namespace

long long Value::integerValue() const {
    switch (kind()) {
    case Kind::Bool: return std::get<bool>(v_) ? 1 : 0;
    case Kind::Integer:
        // Above the signed range it saturates: a status of 2^64-1 must not read as -1.
        if (auto u = std::get_if<unsigned long long>(&v_))
            return *u > static_cast<unsigned long long>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(*u);
        return std::get<long long>(v_);
    case Kind::Real: return clampToLongLong(doubleValue());
    case Kind::String: return numtext::integerValue(*std::get<std::shared_ptr<std::string>>(v_));
    default: return 0;
    }
}

unsigned long long Value::unsignedValue() const {
    if (auto u = std::get_if<unsigned long long>(&v_)) return *u;
    if (kind() == Kind::Real) {
        double d = doubleValue();
        if (d >= 0 && d < 1.8446744073709552e19) return static_cast<unsigned long long>(d);
    }
    return static_cast<unsigned long long>(integerValue());
}

int Value::intValue() const {
    if (kind() == Kind::String) {
        long long v = numtext::integerValue(*std::get<std::shared_ptr<std::string>>(v_));
        return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
    }
    // Numbers truncate to 32 bits as the C cast does.
    return static_cast<int>(static_cast<unsigned long long>(integerValue()));
}

double Value::doubleValue() const {
    switch (kind()) {
    case Kind::Bool: return std::get<bool>(v_) ? 1 : 0;
    case Kind::Integer:
        if (auto u = std::get_if<unsigned long long>(&v_)) return static_cast<double>(*u);
        return static_cast<double>(std::get<long long>(v_));
    case Kind::Real:
        if (auto f = std::get_if<float>(&v_)) return *f;
        return std::get<double>(v_);
    case Kind::String: return numtext::doubleValue(*std::get<std::shared_ptr<std::string>>(v_));
    default: return 0;
    }
}

float Value::floatValue() const {
    if (auto f = std::get_if<float>(&v_)) return *f;
    return static_cast<float>(doubleValue());
}

bool Value::boolValue() const {
    switch (kind()) {
    case Kind::Bool: return std::get<bool>(v_);
    case Kind::Integer: return integerValue() != 0;
    case Kind::Real: return doubleValue() != 0;
    case Kind::String: return numtext::boolValue(*std::get<std::shared_ptr<std::string>>(v_));
    default: return false;
    }
}

namespace {
// Leaf texts inside a container description: bare when made of letters, digits, "_", "." and "$" only;
// else quoted, with quotes, backslashes and control characters escaped and non-ASCII as \Uxxxx.
std::string quotedText(const std::string& s) {
    bool bare = !s.empty();
    for (unsigned char c : s)
        if (!(std::isalnum(c) || c == '_' || c == '.' || c == '$')) bare = false;
    if (bare) return s;
    std::string out = "\"";
    char buf[16];
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            if (c == '"' || c == '\\') out += '\\', out += static_cast<char>(c);
            else if (c == '\n') out += "\\n";
            else if (c == '\t') out += "\\t";
            else if (c == '\r') out += "\\r";
            else if (c < 0x20 || c == 0x7f) std::snprintf(buf, sizeof buf, "\\%03o", c), out += buf;
            else out += static_cast<char>(c);
            continue;
        }
        // Decode one UTF-8 sequence; a stray byte stands for itself.
        int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        char32_t cp = len == 1 ? c : (c & (0x7F >> len));
        bool ok = len > 1 && i + static_cast<size_t>(len) <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) cp = c, len = 1;
        i += static_cast<size_t>(len);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            std::snprintf(buf, sizeof buf, "\\U%04x\\U%04x", static_cast<unsigned>(0xD800 + (cp >> 10)),
                          static_cast<unsigned>(0xDC00 + (cp & 0x3FF)));
        } else {
            std::snprintf(buf, sizeof buf, "\\U%04x", static_cast<unsigned>(cp));
        }
        out += buf;
    }
    return out + "\"";
}
// A date no calendar can show (not a number, infinite, or past the years a calendar date holds)
// describes itself by its seconds since 1970, never as a made-up date.
std::string dateText(double secs) {
    const double whole = std::floor(secs);
    struct tm tm {};
    // The bounds keep the conversion to time_t defined; gmtime refuses years past an int.
    if (!(whole >= -9.2e18 && whole <= 9.2e18)) return numtext::shortest(secs);
    time_t t = static_cast<time_t>(whole);
    if (!gmtime_r(&t, &tm)) return numtext::shortest(secs);
    char buf[64];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
    return buf;
}
std::string spaces(int level) { return std::string(static_cast<size_t>(level) * 4, ' '); }
} // namespace

// A container nested at `level` (1 and deeper) starts with its own indent, so that a dictionary entry
// reads "key =     (" and an array element "        {", as Foundation prints them.
void Value::describe(std::string& out, int level) const {
    if (auto a = arrayPtr()) {
        out += spaces(level) + "(";
        for (size_t i = 0; i < a->size(); ++i) {
            out += "\n" + spaces(level + 1);
            (*a)[i].describe(out, level + 1);
            if (i + 1 < a->size()) out += ",";
        }
        out += "\n" + spaces(level) + ")";
        return;
    }
    if (auto d = dictionaryPtr()) {
        std::vector<const Dictionary::Item*> items;
        for (auto& item : *d) items.push_back(&item);
        std::sort(items.begin(), items.end(), [](auto x, auto y) { return x->first < y->first; });
        out += spaces(level) + "{";
        for (auto item : items) {
            out += "\n" + spaces(level + 1) + quotedText(item->first) + " = ";
            item->second.describe(out, level + 1);
            out += ";";
        }
        out += "\n" + spaces(level) + "}";
        return;
    }
    // Leaves inside a container: their text, quoted where needed (so "-5" and "<null>" appear quoted).
    out += level > 0 ? quotedText(description()) : description();
}

std::string Value::description() const {
    switch (kind()) {
    case Kind::Nil: return "(null)";
    case Kind::Null: return "<null>";
    case Kind::Bool: return std::get<bool>(v_) ? "1" : "0";
    case Kind::Integer:
        if (auto u = std::get_if<unsigned long long>(&v_)) return std::to_string(*u);
        return std::to_string(std::get<long long>(v_));
    case Kind::Real:
        if (auto f = std::get_if<float>(&v_)) return numtext::shortest(*f);
        return numtext::shortest(std::get<double>(v_));
    case Kind::String: return *std::get<std::shared_ptr<std::string>>(v_);
    case Kind::Data: return std::get<DataRef>(v_)->description();
    case Kind::Date: return dateText(std::get<ns::Date>(v_).secondsSince1970);
    case Kind::Array:
    case Kind::Dictionary: {
        std::string out;
        describe(out, 0);
        return out;
    }
    case Kind::Object: return std::get<Ref<ns::Object>>(v_)->description();
    }
    return "(null)";
}

std::optional<std::string> Value::string() const {
    if (auto p = stringPtr()) return *p;
    return std::nullopt;
}

std::optional<std::string> Value::stringValue() const {
    if (auto p = stringPtr()) return *p;
    if (isNumber()) return description();
    return std::nullopt;
}

const std::string* Value::stringPtr() const {
    auto p = std::get_if<std::shared_ptr<std::string>>(&v_);
    return p ? p->get() : nullptr;
}
const ns::Array* Value::arrayPtr() const {
    auto p = std::get_if<std::shared_ptr<ns::Array>>(&v_);
    return p ? p->get() : nullptr;
}
const ns::Dictionary* Value::dictionaryPtr() const {
    auto p = std::get_if<std::shared_ptr<ns::Dictionary>>(&v_);
    return p ? p->get() : nullptr;
}
DataRef Value::data() const {
    auto p = std::get_if<DataRef>(&v_);
    return p ? *p : nullptr;
}
std::optional<ns::Date> Value::date() const {
    auto p = std::get_if<ns::Date>(&v_);
    return p ? std::optional<ns::Date>(*p) : std::nullopt;
}
Ref<ns::Object> Value::object() const {
    auto p = std::get_if<Ref<ns::Object>>(&v_);
    return p ? *p : nullptr;
}

size_t Value::count() const {
    if (auto a = arrayPtr()) return a->size();
    if (auto d = dictionaryPtr()) return d->count();
    return 0;
}

const Value& Value::operator[](std::string_view key) const {
    if (auto d = dictionaryPtr()) return (*d)[key];
    return nilValue();
}

const Value& Value::operator[](size_t index) const {
    if (auto a = arrayPtr(); a && index < a->size()) return (*a)[index];
    return nilValue();
}

ns::Dictionary* Value::mutableDictionary() {
    if (isNil()) v_ = std::make_shared<ns::Dictionary>();
    auto p = std::get_if<std::shared_ptr<ns::Dictionary>>(&v_);
    if (!p) return nullptr;
    if (p->use_count() > 1) *p = std::make_shared<ns::Dictionary>(**p);
    return p->get();
}

ns::Array* Value::mutableArray() {
    if (isNil()) v_ = std::make_shared<ns::Array>();
    auto p = std::get_if<std::shared_ptr<ns::Array>>(&v_);
    if (!p) return nullptr;
    if (p->use_count() > 1) *p = std::make_shared<ns::Array>(**p);
    return p->get();
}

void Value::set(std::string key, Value value) {
    if (auto d = mutableDictionary()) d->set(std::move(key), std::move(value));
}

void Value::append(Value value) {
    if (auto a = mutableArray()) a->push_back(std::move(value));
}

bool Value::operator==(const Value& o) const {
    if (isNumber() && o.isNumber()) {
        if (kind() == Kind::Real || o.kind() == Kind::Real) return doubleValue() == o.doubleValue();
        // An unsigned Integer is above every signed one, so equal Integers have the same alternative.
        if (isUnsignedInteger() || o.isUnsignedInteger()) return isUnsignedInteger() == o.isUnsignedInteger() && unsignedValue() == o.unsignedValue();
        return integerValue() == o.integerValue();
    }
    if (kind() != o.kind()) return false;
    switch (kind()) {
    case Kind::Nil:
    case Kind::Null: return true;
    case Kind::String: return *stringPtr() == *o.stringPtr();
    case Kind::Data: return data()->isEqual(*o.data());
    case Kind::Date: return *date() == *o.date();
    case Kind::Array: return *arrayPtr() == *o.arrayPtr();
    case Kind::Dictionary: return *dictionaryPtr() == *o.dictionaryPtr();
    case Kind::Object: return object() == o.object();
    default: return false;
    }
}

} // namespace ns
