#include "os/foundation/JSONSerialization.h"

#include "os/foundation/UTF8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace ns {

namespace {

Ref<Error> readError(const std::string& debugDescription) {
    Dictionary info;
    info.set(LocalizedDescriptionKey, "The data couldn’t be read because it isn’t in the correct format.");
    info.set(DebugDescriptionKey, debugDescription);
    return Error::make(CocoaErrorDomain, PropertyListReadCorruptError, std::move(info));
}

Ref<Error> writeError(const std::string& debugDescription) {
    Dictionary info;
    info.set(LocalizedDescriptionKey, "The data couldn’t be written because it isn’t in the correct format.");
    info.set(DebugDescriptionKey, debugDescription);
    return Error::make(CocoaErrorDomain, PropertyListWriteInvalidError, std::move(info));
}

// Builds Values straight from the parser's events, so integers keep their exact 64-bit value and
// object keys their order.
class Builder : public nlohmann::json_sax<nlohmann::json> {
public:
    Value root;
    std::string failure;

    bool null() override { return add(Value::null()); }
    bool boolean(bool v) override { return add(Value(v)); }
    bool number_integer(number_integer_t v) override { return add(Value(static_cast<long long>(v))); }
    bool number_unsigned(number_unsigned_t v) override { return add(Value(static_cast<unsigned long long>(v))); }
    // Integers beyond 64 bits arrive here too and become reals.
    bool number_float(number_float_t v, const string_t&) override { return add(Value(static_cast<double>(v))); }
    bool string(string_t& v) override { return add(Value(std::move(v))); }
    bool binary(binary_t&) override { return false; }

    bool start_object(std::size_t) override { return open(Frame{Value(Dictionary()), {}, true}); }
    bool key(string_t& k) override {
        stack_.back().key = std::move(k);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(Frame{Value(Array()), {}, false}); }
    bool end_array() override { return close(); }

    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) override {
        if (failure.empty()) {
            std::string what = ex.what();
            bool nothingYet = stack_.empty() && root.isNil();
            if (what.find("; expected end of input") != std::string::npos) failure = "Garbage at end.";
            else if (nothingYet && (what.find("empty input") != std::string::npos || what.find("unexpected end of input") != std::string::npos))
                failure = "No value.";
            else failure = "Invalid value around character " + std::to_string(position ? position - 1 : 0) + ".";
        }
        return false;
    }

private:
    struct Frame {
        Value container;
        std::string key;
        bool isDictionary;
    };
    std::vector<Frame> stack_;

    bool open(Frame frame) {
        if (stack_.size() >= static_cast<size_t>(JSONSerialization::MaxDepth)) {
            failure = "Too many nested arrays or dictionaries.";
            return false;
        }
        stack_.push_back(std::move(frame));
        return true;
    }
    bool close() {
        Value done = std::move(stack_.back().container);
        stack_.pop_back();
        return add(std::move(done));
    }
    bool add(Value v) {
        if (stack_.empty()) {
            root = std::move(v);
            return true;
        }
        Frame& top = stack_.back();
        if (top.isDictionary) top.container.mutableDictionary()->set(std::move(top.key), std::move(v));
        else top.container.mutableArray()->push_back(std::move(v));
        return true;
    }
};

// ---------- writing ----------

class Writer {
public:
    explicit Writer(unsigned options) : options_(options) {}
    std::string out;
    std::string failure;

    bool value(const Value& v, int depth) {
        if (depth > JSONSerialization::MaxDepth) return fail("Too many nested arrays or dictionaries in JSON write");
        switch (v.kind()) {
        case Value::Kind::Nil:
        case Value::Kind::Null: out += "null"; return true;
        case Value::Kind::Bool: out += v.boolValue() ? "true" : "false"; return true;
        case Value::Kind::Integer: out += v.description(); return true;
        case Value::Kind::Real: {
            double d = v.doubleValue();
            if (std::isnan(d)) return fail("Invalid number value (NaN) in JSON write");
            if (std::isinf(d)) return fail("Invalid number value (infinite) in JSON write");
            out += v.description();
            return true;
        }
        case Value::Kind::String: return string(*v.stringPtr());
        case Value::Kind::Array: return array(*v.arrayPtr(), depth);
        case Value::Kind::Dictionary: return dictionary(*v.dictionaryPtr(), depth);
        case Value::Kind::Data: return fail("Invalid type in JSON write (NSData)");
        case Value::Kind::Date: return fail("Invalid type in JSON write (NSDate)");
        case Value::Kind::Object: return fail("Invalid type in JSON write (" + v.object()->className() + ")");
        }
        return fail("Invalid type in JSON write");
    }

private:
    unsigned options_;

    bool pretty() const { return options_ & JSONSerialization::WritingPrettyPrinted; }
    bool fail(std::string why) {
        if (failure.empty()) failure = std::move(why);
        return false;
    }
    void newline(int depth) {
        if (!pretty()) return;
        out += '\n';
        out.append(static_cast<size_t>(depth) * 2, ' ');
    }

    bool string(const std::string& s) {
        if (!utf8::isValid(s)) return fail("Invalid string (not UTF-8) in JSON write");
        bool slashes = !(options_ & JSONSerialization::WritingWithoutEscapingSlashes);
        out += '"';
        size_t plain = 0; // start of the run of characters copied as they are
        for (size_t i = 0; i < s.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            if (c >= 0x20 && c != '"' && c != '\\' && c != '/') continue;
            out.append(s, plain, i - plain);
            plain = i + 1;
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '/': out += slashes ? "\\/" : "/"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            }
        }
        out.append(s, plain, s.size() - plain);
        out += '"';
        return true;
    }

    bool array(const Array& a, int depth) {
        out += '[';
        if (a.empty() && pretty()) out += "\n\n";
        for (size_t i = 0; i < a.size(); ++i) {
            if (i) out += ',';
            newline(depth + 1);
            if (!value(a[i], depth + 1)) return false;
        }
        if (!a.empty()) newline(depth);
        out += ']';
        return true;
    }

    bool dictionary(const Dictionary& d, int depth) {
        std::vector<const Dictionary::Item*> items;
        for (auto& item : d) items.push_back(&item);
        if (options_ & JSONSerialization::WritingSortedKeys)
            std::sort(items.begin(), items.end(), [](auto x, auto y) { return x->first < y->first; });
        out += '{';
        if (items.empty() && pretty()) out += "\n\n";
        for (size_t i = 0; i < items.size(); ++i) {
            if (i) out += ',';
            newline(depth + 1);
            if (!string(items[i]->first)) return false;
            out += pretty() ? " : " : ":";
            if (!value(items[i]->second, depth + 1)) return false;
        }
        if (!items.empty()) newline(depth);
        out += '}';
        return true;
    }
};

bool isContainer(const Value& v) { return v.isArray() || v.isDictionary(); }

} // namespace

Value JSONSerialization::parse(const Data& data, unsigned options, Ref<Error>* error) {
    Builder builder;
    const uint8_t* begin = data.bytes();
    const uint8_t* end = begin + data.length();
    bool ok = false;
    try {
        ok = nlohmann::json::sax_parse(begin, end, &builder, nlohmann::json::input_format_t::json, true, false);
    } catch (const std::exception& e) {
        if (builder.failure.empty()) builder.failure = e.what();
    }
    // The library's lexer takes a 0x00 byte between tokens for the end of input. No JSON text holds
    // a raw 0x00 (strings refuse control characters), so after a value read whole, one is garbage.
    if (ok && std::memchr(begin, 0, data.length())) {
        ok = false;
        builder.failure = "Garbage at end.";
    }
    if (ok && !(options & ReadingFragmentsAllowed) && !isContainer(builder.root)) {
        ok = false;
        builder.failure = "JSON text did not start with array or object and option to allow fragments not set.";
    }
    if (!ok) {
        if (error) *error = readError(builder.failure.empty() ? "Invalid JSON." : builder.failure);
        return {};
    }
    return std::move(builder.root);
}

Value JSONSerialization::parse(const DataRef& data, unsigned options, Ref<Error>* error) {
    if (!data) {
        if (error) *error = readError("No data.");
        return {};
    }
    return parse(*data, options, error);
}

DataRef JSONSerialization::write(const Value& value, unsigned options, Ref<Error>* error) {
    Writer writer(options);
    bool ok = false;
    if (value.isNil()) writer.failure = "Invalid top-level object (nil) in JSON write";
    else if (!isContainer(value) && !(options & WritingFragmentsAllowed))
        writer.failure = "Invalid top-level type in JSON write";
    else ok = writer.value(value, 0);
    if (!ok) {
        if (error) *error = writeError(writer.failure);
        return nullptr;
    }
    return Data::fromString(writer.out);
}

bool JSONSerialization::isValidJSONObject(const Value& value) {
    if (!isContainer(value)) return false;
    Writer writer(0);
    return writer.value(value, 0);
}

} // namespace ns
