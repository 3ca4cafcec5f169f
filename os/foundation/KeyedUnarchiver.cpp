#include "os/foundation/KeyedUnarchiver.h"

#include "os/foundation/PlistTree.h"
#include "os/foundation/UTF8.h"

#include <plist/plist.h>

#include <cstdlib>
#include <optional>
#include <vector>

namespace ns {

namespace {
constexpr double SecondsFrom1970To2001 = 978307200;

std::string escapedKey(const std::string& key) { return !key.empty() && key[0] == '$' ? "$" + key : key; }

bool isType(plist_t node, plist_type type) { return node && plist_get_node_type(node) == type; }

std::optional<std::string> textOf(plist_t node) {
    if (!isType(node, PLIST_STRING)) return std::nullopt;
    uint64_t length = 0;
    const char* s = plist_get_string_ptr(node, &length);
    std::string text = s ? std::string(s, static_cast<size_t>(length)) : std::string();
    if (!utf8::isValid(text)) return std::nullopt; // not a text, so the entry fails to decode
    return text;
}

// A reference: a UID node, or {"CF$UID": n} as XML archives spell it.
std::optional<uint64_t> uidOf(plist_t node) {
    uint64_t v = 0;
    if (isType(node, PLIST_UID)) {
        plist_get_uid_val(node, &v);
        return v;
    }
    if (isType(node, PLIST_DICT) && plist_dict_get_size(node) == 1) {
        plist_t n = plist_dict_get_item(node, "CF$UID");
        if (isType(n, PLIST_UINT)) {
            plist_get_uint_val(n, &v);
            return v;
        }
    }
    return std::nullopt;
}
} // namespace

struct KeyedUnarchiver::State {
    plisttree::Node root;
    std::vector<plist_t> objects; // "$objects", indexed once up front
    uint32_t count = 0;
    plist_t current = nullptr; // the entry keyed decodes read from
    std::vector<std::optional<Value>> decoded;
    std::vector<uint64_t> unfolded; // values inside a decoded object, shared ones counted each time
    std::vector<bool> inProgress;
    uint64_t work = 0;
    int depth = 0;
    bool failed = false;

    Value fail() {
        failed = true;
        return {};
    }

    // The object a reference points at, decoded once and shared by every reference to it.
    Value resolve(uint64_t uid, KeyedUnarchiver& coder) {
        if (failed || uid >= count) return fail();
        // Shared references make a graph that can unfold exponentially into the values handed out.
        if (decoded[uid]) return (work += unfolded[uid]) > MaxValues ? fail() : *decoded[uid];
        if (inProgress[uid] || depth >= MaxDepth || ++work > MaxValues) return fail(); // a loop, or beyond reason
        uint64_t before = work - 1;
        inProgress[uid] = true;
        ++depth;
        Value v = decode(objects[uid], coder);
        --depth;
        inProgress[uid] = false;
        if (failed) return {};
        decoded[uid] = v;
        unfolded[uid] = work - before;
        return v;
    }

    // A member of an entry: a reference is resolved, anything else read as it stands.
    Value member(plist_t node, KeyedUnarchiver& coder) {
        if (!node) return {};
        if (auto uid = uidOf(node)) return resolve(*uid, coder);
        if (isType(node, PLIST_ARRAY) || isType(node, PLIST_DICT)) return fail();
        return plisttree::toValue(node);
    }

    std::optional<std::vector<Value>> references(plist_t array, KeyedUnarchiver& coder) {
        if (!isType(array, PLIST_ARRAY)) return std::nullopt;
        std::vector<Value> out;
        for (void* item : plisttree::arrayItems(array)) {
            auto uid = uidOf(static_cast<plist_t>(item));
            if (!uid) return std::nullopt;
            out.push_back(resolve(*uid, coder));
            if (failed) return std::nullopt;
        }
        return out;
    }

    Value decode(plist_t node, KeyedUnarchiver& coder) {
        if (auto text = textOf(node)) return *text == "$null" ? Value() : Value(*text);
        if (!isType(node, PLIST_DICT)) {
            if (isType(node, PLIST_ARRAY) || isType(node, PLIST_UID)) return fail();
            Value v = plisttree::toValue(node);
            return v.isNil() ? fail() : v;
        }
        auto classUID = uidOf(plist_dict_get_item(node, "$class"));
        if (!classUID || *classUID >= count) return fail();
        plist_t classEntry = objects[*classUID];
        if (!isType(classEntry, PLIST_DICT)) return fail();
        // The class itself, then its superclasses as the archive lists them.
        std::vector<std::string> names;
        if (auto name = textOf(plist_dict_get_item(classEntry, "$classname"))) names.push_back(*name);
        plist_t classes = plist_dict_get_item(classEntry, "$classes");
        for (void* item : plisttree::arrayItems(classes))
            if (auto name = textOf(static_cast<plist_t>(item)); name && *name != "NSObject") names.push_back(*name);
        for (auto& name : names) {
            if (auto v = decodeKnown(name, node, coder)) return *v;
            if (failed) return {};
        }
        return fail();
    }

    // nullopt when the class is neither a Foundation value class nor a registered Coding class.
    std::optional<Value> decodeKnown(const std::string& name, plist_t entry, KeyedUnarchiver& coder) {
        auto item = [&](const char* key) { return plist_dict_get_item(entry, key); };
        if (name == "NSArray" || name == "NSMutableArray" || name == "NSSet" || name == "NSMutableSet" ||
            name == "NSOrderedSet" || name == "NSMutableOrderedSet") {
            auto items = references(item("NS.objects"), coder);
            if (!items) return fail();
            Array array;
            for (auto& v : *items)
                if (!v.isNil()) array.push_back(std::move(v));
            return Value(std::move(array));
        }
        if (name == "NSDictionary" || name == "NSMutableDictionary") {
            auto keys = references(item("NS.keys"), coder);
            auto items = keys ? references(item("NS.objects"), coder) : std::nullopt;
            if (!items || items->size() != keys->size()) return fail();
            Dictionary dict;
            for (size_t i = 0; i < keys->size(); ++i) {
                auto key = (*keys)[i].stringValue();
                if (!key) return fail();
                dict.set(*key, std::move((*items)[i]));
            }
            return Value(std::move(dict));
        }
        if (name == "NSString" || name == "NSMutableString") {
            if (auto text = textOf(item("NS.string"))) return Value(*text);
            Value bytes = plisttree::toValue(item("NS.bytes")); // UTF-8 bytes
            return bytes.data() && utf8::isValid(bytes.data()->view()) ? Value(bytes.data()->toString()) : fail();
        }
        if (name == "NSData" || name == "NSMutableData") {
            Value bytes = plisttree::toValue(item(plist_dict_get_item(entry, "NS.data") ? "NS.data" : "NS.bytes"));
            return bytes.data() ? bytes : fail();
        }
        if (name == "NSDate") {
            Value time = plisttree::toValue(item("NS.time"));
            return time.isNumber() ? Value(Date{time.doubleValue() + SecondsFrom1970To2001}) : fail();
        }
        if (name == "NSNull") return Value::null();
        auto factory = Coding::factoryFor(name);
        if (!factory) return std::nullopt;
        plist_t outer = current;
        current = entry;
        Ref<Object> object = factory(coder);
        current = outer;
        if (failed) return Value();
        return object ? Value(object) : Value();
    }

    plist_t keyed(const std::string& key) const {
        return failed || !current ? nullptr : plist_dict_get_item(current, escapedKey(key).c_str());
    }
};

KeyedUnarchiver::KeyedUnarchiver() : s_(std::make_unique<State>()) {}
KeyedUnarchiver::~KeyedUnarchiver() = default;

std::unique_ptr<KeyedUnarchiver> KeyedUnarchiver::make(const Data& data) {
    auto root = plisttree::parse(data, nullptr);
    plist_t r = root.get();
    if (!isType(r, PLIST_DICT)) return nullptr;
    if (textOf(plist_dict_get_item(r, "$archiver")) != "NSKeyedArchiver") return nullptr;
    plist_t version = plist_dict_get_item(r, "$version");
    if (!isType(version, PLIST_UINT) || plist_uint_val_compare(version, 100000) != 0) return nullptr;
    plist_t objects = plist_dict_get_item(r, "$objects");
    plist_t top = plist_dict_get_item(r, "$top");
    if (!isType(objects, PLIST_ARRAY) || !isType(top, PLIST_DICT)) return nullptr;

    std::unique_ptr<KeyedUnarchiver> u(new KeyedUnarchiver());
    u->s_->root = std::move(root);
    for (void* item : plisttree::arrayItems(objects)) u->s_->objects.push_back(static_cast<plist_t>(item));
    u->s_->count = static_cast<uint32_t>(u->s_->objects.size());
    u->s_->current = top;
    u->s_->decoded.resize(u->s_->count);
    u->s_->inProgress.resize(u->s_->count);
    u->s_->unfolded.resize(u->s_->count);
    return u;
}

Value KeyedUnarchiver::unarchiveObject(const Data& data) {
    auto unarchiver = make(data);
    if (!unarchiver) return {};
    Value v = unarchiver->decodeObject("root");
    return unarchiver->failed() ? Value() : v;
}

Value KeyedUnarchiver::unarchiveObject(const DataRef& data) { return data ? unarchiveObject(*data) : Value(); }

Value KeyedUnarchiver::decodeObject(const std::string& key) {
    Value v = s_->member(s_->keyed(key), *this);
    return s_->failed ? Value() : v;
}

bool KeyedUnarchiver::decodeBool(const std::string& key) { return decodeObject(key).boolValue(); }
long long KeyedUnarchiver::decodeInteger(const std::string& key) { return decodeObject(key).integerValue(); }
double KeyedUnarchiver::decodeDouble(const std::string& key) { return decodeObject(key).doubleValue(); }
bool KeyedUnarchiver::containsValue(const std::string& key) const { return s_->keyed(key) != nullptr; }
bool KeyedUnarchiver::failed() const { return s_->failed; }

} // namespace ns
