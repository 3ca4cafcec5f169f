#include "os/foundation/Value.h"

#include <cerrno>
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
    if (neg) {
        if (overflow || acc > static_cast<unsigned long long>(LLONG_MAX) + 1) return LLONG_MIN;
        return acc == static_cast<unsigned long long>(LLONG_MAX) + 1 ? LLONG_MIN : -static_cast<long long>(acc);
    }
    if (overflow || acc > static_cast<unsigned long long>(LLONG_MAX)) return LLONG_MAX;
    return static_cast<long long>(acc);
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
    return std::strtod(part.c_str(), nullptr);
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
    char buf[64];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, d);
        if (std::strtod(buf, nullptr) == d) break;
    }
    return buf;
}
} // namespace numtext

// ---------- Dictionary ----------
Dictionary::Dictionary(std::initializer_list<std::pair<std::string, Value>> items) {
    for (auto& [k, v] : items) set(k, v);
}

const Value* Dictionary::find(std::string_view key) const {
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
    for (auto& item : items_)
        if (item.first == key) {
            item.second = std::move(value);
            return;
        }
    items_.emplace_back(std::move(key), std::move(value));
}

void Dictionary::remove(std::string_view key) {
    std::erase_if(items_, [&](const Item& item) { return item.first == key; });
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
Value::Value(double d) : v_(d) {}
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

Value::Kind Value::kind() const { return static_cast<Kind>(v_.index()); }

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
    case Kind::Integer: return std::get<long long>(v_);
    case Kind::Real: return clampToLongLong(std::get<double>(v_));
    case Kind::String: return numtext::integerValue(*std::get<std::shared_ptr<std::string>>(v_));
    default: return 0;
    }
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
    case Kind::Integer: return static_cast<double>(std::get<long long>(v_));
    case Kind::Real: return std::get<double>(v_);
    case Kind::String: return numtext::doubleValue(*std::get<std::shared_ptr<std::string>>(v_));
    default: return 0;
    }
}

float Value::floatValue() const {
    if (kind() == Kind::String) {
        const auto& s = *std::get<std::shared_ptr<std::string>>(v_);
        return static_cast<float>(numtext::doubleValue(s));
    }
    return static_cast<float>(doubleValue());
}

bool Value::boolValue() const {
    switch (kind()) {
    case Kind::Bool: return std::get<bool>(v_);
    case Kind::Integer: return std::get<long long>(v_) != 0;
    case Kind::Real: return std::get<double>(v_) != 0;
    case Kind::String: return numtext::boolValue(*std::get<std::shared_ptr<std::string>>(v_));
    default: return false;
    }
}

namespace {
bool needsQuotes(const std::string& s) {
    if (s.empty()) return true;
    for (unsigned char c : s)
        if (!(std::isalnum(c) || c == '_' || c == '.' || c == '$' || c >= 0x80)) return true;
    return false;
}
std::string quoted(const Value& v) {
    if (auto s = v.stringPtr()) {
        if (!needsQuotes(*s)) return *s;
        std::string out = "\"";
        for (char c : *s) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out + "\"";
    }
    return v.description();
}
std::string indent(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\n') out += "    ";
    }
    return out;
}
std::string dateText(double secs) {
    time_t t = static_cast<time_t>(std::floor(secs));
    struct tm tm {};
    gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
    return buf;
}
} // namespace

std::string Value::description() const {
    switch (kind()) {
    case Kind::Nil: return "(null)";
    case Kind::Null: return "<null>";
    case Kind::Bool: return std::get<bool>(v_) ? "1" : "0";
    case Kind::Integer: return std::to_string(std::get<long long>(v_));
    case Kind::Real: return numtext::shortest(std::get<double>(v_));
    case Kind::String: return *std::get<std::shared_ptr<std::string>>(v_);
    case Kind::Data: return std::get<DataRef>(v_)->description();
    case Kind::Date: return dateText(std::get<ns::Date>(v_).secondsSince1970);
    case Kind::Array: {
        const auto& a = *std::get<std::shared_ptr<ns::Array>>(v_);
        if (a.empty()) return "(\n)";
        std::string out = "(";
        for (size_t i = 0; i < a.size(); ++i) out += (i ? ",\n    " : "\n    ") + indent(quoted(a[i]));
        return out + "\n)";
    }
    case Kind::Dictionary: {
        const auto& d = *std::get<std::shared_ptr<ns::Dictionary>>(v_);
        std::string out = "{\n";
        for (auto& [k, v] : d) out += "    " + quoted(Value(k)) + " = " + indent(quoted(v)) + ";\n";
        return out + "}";
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
