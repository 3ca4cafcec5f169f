#pragma once
// Model mapping: new model objects filled from reply dictionaries through per-class property tables.
//
// A model class declares its properties once, by name and member, and may rename reply keys:
//
//   class VXPingModel : public ns::Object {
//   public:
//       std::optional<std::string> content;
//       ns::Value Id; // a number
//       static void vx_properties(VXKeyValue::Properties<VXPingModel>& p) {
//           p.add("content", &VXPingModel::content).addNumber("Id", &VXPingModel::Id);
//       }
//       static ns::Dictionary vx_replacedKeyFromPropertyName() { return {{"Id", "id"}}; }
//   };
//   auto rows = VXKeyValue::vx_objectArrayWithKeyValuesArray<VXPingModel>(reply["c"]["lists"]);
//
// A property is filled from the value under its reply key with the Foundation conversions:
// - text (std::optional<std::string>): a text as it is, a number as its text ("12", "1.5", a bool "1");
// - number (ns::Value, addNumber): a number as it is, a text as the number it starts with ("12" -> 12, "abc" -> 0);
// - bool, integers, double, float: boolValue, integerValue, doubleValue, floatValue of the value;
// - ns::Dictionary / ns::Array: a dictionary / an array as it is;
// - ns::Value (add): the value as it is.
// A missing key or a null value leaves the property as it was; any other value of the wrong type
// converts like nil (nil text, 0, NO, an empty container).

#include "os/foundation/Value.h"

#include <concepts>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace VXKeyValue {

// The number a value stands for (conversion rule above); nil for containers, data and objects.
ns::Value numberValue(const ns::Value& value);

template <class T> class Properties {
public:
    struct Property {
        std::string name;
        std::function<void(T& object, const ns::Value& value)> set;
    };

    template <class C, class M>
        requires std::is_base_of_v<C, T>
    Properties& add(std::string name, M C::*member) {
        properties_.push_back({std::move(name), [member](T& object, const ns::Value& value) {
                                   assign(static_cast<C&>(object).*member, value);
                               }});
        return *this;
    }

    template <class C>
        requires std::is_base_of_v<C, T>
    Properties& addNumber(std::string name, ns::Value C::*member) {
        properties_.push_back({std::move(name), [member](T& object, const ns::Value& value) {
                                   static_cast<C&>(object).*member = numberValue(value);
                               }});
        return *this;
    }

    const std::vector<Property>& properties() const { return properties_; }

private:
    static void assign(std::optional<std::string>& out, const ns::Value& v) { out = v.stringValue(); }
    static void assign(bool& out, const ns::Value& v) { out = v.boolValue(); }
    static void assign(double& out, const ns::Value& v) { out = v.doubleValue(); }
    static void assign(float& out, const ns::Value& v) { out = v.floatValue(); }
    static void assign(ns::Value& out, const ns::Value& v) { out = v; }
    static void assign(ns::Dictionary& out, const ns::Value& v) {
        auto d = v.dictionaryPtr();
        out = d ? *d : ns::Dictionary();
    }
    static void assign(ns::Array& out, const ns::Value& v) {
        auto a = v.arrayPtr();
        out = a ? *a : ns::Array();
    }
    template <std::integral I>
        requires(!std::same_as<I, bool>)
    static void assign(I& out, const ns::Value& v) {
        out = static_cast<I>(v.integerValue());
    }

    std::vector<Property> properties_;
};

namespace detail {

template <class T>
concept HasReplacedKeys = requires { { T::vx_replacedKeyFromPropertyName() } -> std::convertible_to<ns::Dictionary>; };

// A class's table with reply keys resolved, built once on first use.
template <class T> struct Table {
    struct Entry {
        std::string key;
        std::function<void(T&, const ns::Value&)> set;
    };
    std::vector<Entry> entries;

    static const Table& shared() {
        static const Table table = [] {
            Properties<T> declared;
            T::vx_properties(declared);
            ns::Dictionary replaced;
            if constexpr (HasReplacedKeys<T>) replaced = T::vx_replacedKeyFromPropertyName();
            Table t;
            for (const auto& p : declared.properties()) {
                auto key = replaced[p.name].string();
                t.entries.push_back({key && !key->empty() ? *key : p.name, p.set});
            }
            return t;
        }();
        return table;
    }
};

} // namespace detail

// A new instance filled from the dictionary; null when the value is not a dictionary.
template <class T> ns::Ref<T> vx_objectWithKeyValues(const ns::Value& keyValues) {
    auto dictionary = keyValues.dictionaryPtr();
    if (!dictionary) return nullptr;
    auto object = ns::make<T>();
    for (const auto& entry : detail::Table<T>::shared().entries) {
        auto value = dictionary->find(entry.key);
        if (!value || value->isNilOrNull()) continue;
        entry.set(*object, *value);
    }
    return object;
}

// One new instance per dictionary of the array, in order; elements that are not dictionaries are
// skipped, and a value that is not an array gives an empty result.
template <class T> std::vector<ns::Ref<T>> vx_objectArrayWithKeyValuesArray(const ns::Value& keyValuesArray) {
    std::vector<ns::Ref<T>> objects;
    auto array = keyValuesArray.arrayPtr();
    if (!array) return objects;
    objects.reserve(array->size());
    for (const auto& keyValues : *array) {
        if (auto object = vx_objectWithKeyValues<T>(keyValues)) objects.push_back(std::move(object));
    }
    return objects;
}

} // namespace VXKeyValue
