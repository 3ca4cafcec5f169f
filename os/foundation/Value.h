#pragma once
// The dynamic value ("id") of JSON replies, property lists, user defaults and request parameters.
// Every read converts with the Foundation rules and never throws: a wrong type converts like nil.

#include "os/foundation/Data.h"
#include "os/foundation/Object.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace ns {

class Value;
class Dictionary;
using Array = std::vector<Value>;

struct Date {
    double secondsSince1970 = 0;
    bool operator==(const Date&) const = default;
};

// An insertion-ordered dictionary of text keys. Setting nil removes the key (keyed subscripting).
class Dictionary {
public:
    Dictionary() = default;
    Dictionary(std::initializer_list<std::pair<std::string, Value>> items);

    size_t count() const;
    bool empty() const;
    // Missing key reads nil.
    const Value& operator[](std::string_view key) const;
    const Value* find(std::string_view key) const;
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    void set(std::string key, Value value);
    void remove(std::string_view key);
    std::vector<std::string> keys() const;

    using Item = std::pair<std::string, Value>;
    std::vector<Item>::const_iterator begin() const { return items_.begin(); }
    std::vector<Item>::const_iterator end() const { return items_.end(); }

    bool operator==(const Dictionary& other) const; // same keys and equal values, order ignored

private:
    std::vector<Item> items_;
    // Key -> position, kept only once the dictionary is large, so big replies stay linear to build.
    std::unordered_map<std::string, size_t> index_;
    static constexpr size_t IndexThreshold = 32;
    void rebuildIndex();
};

class Value {
public:
    enum class Kind { Nil, Null, Bool, Integer, Real, String, Data, Date, Array, Dictionary, Object };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b);
    Value(int i) : Value(static_cast<long long>(i)) {}
    Value(long i) : Value(static_cast<long long>(i)) {}
    Value(long long i);
    Value(unsigned i) : Value(static_cast<long long>(i)) {}
    Value(unsigned long i) : Value(static_cast<unsigned long long>(i)) {}
    Value(unsigned long long i); // above the signed range it stays exact (an unsigned integer)
    Value(double d);
    Value(float f); // single precision: described in its own shortest text ("0.1")
    Value(const char* s);
    Value(std::string s);
    Value(std::string_view s) : Value(std::string(s)) {}
    Value(const std::optional<std::string>& s); // nullopt is nil
    Value(ns::Date d);
    Value(ns::Array a);
    Value(ns::Dictionary d);
    // Data objects keep the Data kind; any other object the Object kind; a null reference is nil.
    template <class T, class = std::enable_if_t<std::is_base_of_v<ns::Object, T>>>
    Value(const Ref<T>& o) {
        if (!o) return;
        if constexpr (std::is_base_of_v<ns::Data, T>) v_ = DataRef(o);
        else v_ = Ref<ns::Object>(o);
    }

    static Value null();

    Kind kind() const;
    bool isNil() const { return kind() == Kind::Nil; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isNilOrNull() const { return isNil() || isNull(); }
    bool isString() const { return kind() == Kind::String; }
    bool isNumber() const; // Bool, Integer or Real
    bool isArray() const { return kind() == Kind::Array; }
    bool isDictionary() const { return kind() == Kind::Dictionary; }

    // Foundation conversions. Text: leading white space, optional sign, leading digits; else 0
    // (out-of-range text saturates). intValue truncates numbers as the C cast does; integerValue is the
    // platform's 64-bit integer and saturates every out-of-range value: read statuses and codes with it.
    int intValue() const;
    long long integerValue() const;
    unsigned long long unsignedValue() const;
    float floatValue() const;   // single precision
    double doubleValue() const;
    bool boolValue() const;     // text: "Y"/"y"/"T"/"t" or a leading digit 1-9 after sign and zeros
    // The "%@" text: nil "(null)", null "<null>", numbers in shortest decimal text, bools "1"/"0";
    // arrays "(\n    a,\n    b\n)" and dictionaries "{\n    key = value;\n}" (keys sorted), nested
    // containers indented as Foundation does, texts inside containers quoted where needed.
    std::string description() const;
    // Text when the value is a string, else nullopt.
    std::optional<std::string> string() const;
    // Text of a string, or the description of a number; nullopt for anything else.
    std::optional<std::string> stringValue() const;

    const std::string* stringPtr() const;
    const ns::Array* arrayPtr() const;
    const ns::Dictionary* dictionaryPtr() const;
    DataRef data() const;
    std::optional<ns::Date> date() const;
    Ref<ns::Object> object() const;
    template <class T> Ref<T> objectAs() const { return std::dynamic_pointer_cast<T>(object()); }
    bool isBoolean() const { return kind() == Kind::Bool; }
    bool isInteger() const { return kind() == Kind::Integer; }
    bool isReal() const { return kind() == Kind::Real; }
    // An Integer above the signed 64-bit range, or a Real stored in single precision.
    bool isUnsignedInteger() const { return std::holds_alternative<unsigned long long>(v_); }
    bool isSinglePrecision() const { return std::holds_alternative<float>(v_); }

    // Containers: count of a non-container is 0; a missing key or index reads nil.
    size_t count() const;
    const Value& operator[](std::string_view key) const;
    const Value& operator[](const char* key) const { return (*this)[std::string_view(key)]; }
    const Value& operator[](size_t index) const;
    const Value& operator[](int index) const { return index < 0 ? nilValue() : (*this)[static_cast<size_t>(index)]; }

    // Mutation (copy-on-write): set on a dictionary value, append to an array value.
    // Setting on a nil value turns it into an empty dictionary first.
    void set(std::string key, Value value);
    void append(Value value);
    ns::Dictionary* mutableDictionary();
    ns::Array* mutableArray();

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

    static const Value& nilValue();

private:
    struct NullTag { bool operator==(const NullTag&) const = default; };
    // The first eleven alternatives follow Kind; the last two are an unsigned Integer and a single Real.
    using Storage = std::variant<std::monostate, NullTag, bool, long long, double, std::shared_ptr<std::string>, DataRef,
                                 ns::Date, std::shared_ptr<ns::Array>, std::shared_ptr<ns::Dictionary>, Ref<ns::Object>,
                                 unsigned long long, float>;
    Storage v_;
    void describe(std::string& out, int level) const;
};

// Text numbers: the rules above on plain text, shared with the string helpers.
// Defined here, where Value is complete (needed by clang's library).
inline size_t Dictionary::count() const { return items_.size(); }
inline bool Dictionary::empty() const { return items_.empty(); }

namespace numtext {
long long integerValue(std::string_view text);
double doubleValue(std::string_view text);
bool boolValue(std::string_view text);
// Shortest decimal text that reads back as the same double ("0.85", "12.5", 1.0 -> "1"), in the
// style of %g (exponent form from 1e16 up and below 1e-4; for floats from 1e7); "nan", "inf", "-inf".
std::string shortest(double d);
std::string shortest(float f);
}

} // namespace ns
