#include "os/foundation/KeyedArchiver.h"

#include "os/foundation/PlistTree.h"
#include "os/foundation/UTF8.h"

#include <plist/plist.h>

#include <cmath>
#include <vector>

namespace ns {

namespace {
constexpr double SecondsFrom1970To2001 = 978307200;

// Keys starting with "$" are the archive's own; a coder's key of that form gets one more "$".
std::string escapedKey(const std::string& key) { return !key.empty() && key[0] == '$' ? "$" + key : key; }
} // namespace

struct KeyedArchiver::State {
    std::vector<plisttree::Node> objects;           // "$objects"; a slot is empty while its object is encoded
    plisttree::Node top{plist_new_dict()};          // "$top"
    plist_t current = nullptr;                      // the entry that keyed encodes go to
    std::map<std::string, uint64_t> strings;        // uniqued texts
    std::map<std::string, uint64_t> classes;        // uniqued class entries, by class name
    std::map<const Object*, uint64_t> coded;        // objects already in the archive (shared references, loops)
    int depth = 0;
    bool failed = false;
    bool finished = false;

    uint64_t add(plist_t node) {
        objects.emplace_back(node);
        return objects.size() - 1;
    }
    uint64_t reserve() {
        objects.emplace_back();
        return objects.size() - 1;
    }

    uint64_t classRef(const std::vector<std::string>& hierarchy) {
        auto found = classes.find(hierarchy.front());
        if (found != classes.end()) return found->second;
        plist_t entry = plist_new_dict();
        plist_t names = plist_new_array();
        for (auto& name : hierarchy) plist_array_append_item(names, plist_new_string(name.c_str()));
        plist_dict_set_item(entry, "$classes", names);
        plist_dict_set_item(entry, "$classname", plist_new_string(hierarchy.front().c_str()));
        uint64_t uid = add(entry);
        classes.emplace(hierarchy.front(), uid);
        return uid;
    }

    // A container or value object: its entry with "$class" last, as the system writes it.
    plist_t classed(plist_t entry, const std::vector<std::string>& hierarchy) {
        plist_dict_set_item(entry, "$class", plist_new_uid(classRef(hierarchy)));
        return entry;
    }

    plist_t uidArray(const std::vector<uint64_t>& uids) {
        plist_t array = plist_new_array();
        for (auto uid : uids) plist_array_append_item(array, plist_new_uid(uid));
        return array;
    }

    // The UID of a value in "$objects"; 0 ("$null") for nil or after a failure.
    uint64_t encode(const Value& v, KeyedArchiver& coder) {
        if (failed) return 0;
        if (depth >= MaxDepth) {
            failed = true;
            return 0;
        }
        switch (v.kind()) {
        case Value::Kind::Nil: return 0;
        case Value::Kind::Bool: return add(plist_new_bool(v.boolValue()));
        case Value::Kind::Integer:
            if (v.isUnsignedInteger()) return add(plist_new_real(v.doubleValue()));
            return add(plist_new_uint(static_cast<uint64_t>(v.integerValue())));
        case Value::Kind::Real: return add(plist_new_real(v.doubleValue()));
        case Value::Kind::String: {
            const std::string& s = *v.stringPtr();
            if (s.find('\0') != std::string::npos || !utf8::isValid(s)) {
                failed = true;
                return 0;
            }
            auto found = strings.find(s);
            if (found != strings.end()) return found->second;
            uint64_t uid = add(plist_new_string(s.c_str()));
            strings.emplace(s, uid);
            return uid;
        }
        case Value::Kind::Data:
            return add(plist_new_data(reinterpret_cast<const char*>(v.data()->bytes()), v.data()->length()));
        case Value::Kind::Date: {
            plist_t entry = plist_new_dict();
            plist_dict_set_item(entry, "NS.time", plist_new_real(v.date()->secondsSince1970 - SecondsFrom1970To2001));
            return add(classed(entry, {"NSDate", "NSObject"}));
        }
        case Value::Kind::Null: return add(classed(plist_new_dict(), {"NSNull", "NSObject"}));
        case Value::Kind::Array: {
            uint64_t slot = reserve();
            ++depth;
            std::vector<uint64_t> items;
            for (auto& item : *v.arrayPtr()) items.push_back(encode(item, coder));
            --depth;
            plist_t entry = plist_new_dict();
            plist_dict_set_item(entry, "NS.objects", uidArray(items));
            classed(entry, {"NSArray", "NSObject"}); // may grow "$objects": fill the slot after
            objects[slot].reset(entry);
            return slot;
        }
        case Value::Kind::Dictionary: {
            uint64_t slot = reserve();
            ++depth;
            std::vector<uint64_t> keys, items;
            for (auto& [key, item] : *v.dictionaryPtr()) {
                keys.push_back(encode(Value(key), coder));
                items.push_back(encode(item, coder));
            }
            --depth;
            plist_t entry = plist_new_dict();
            plist_dict_set_item(entry, "NS.keys", uidArray(keys));
            plist_dict_set_item(entry, "NS.objects", uidArray(items));
            classed(entry, {"NSDictionary", "NSObject"}); // may grow "$objects": fill the slot after
            objects[slot].reset(entry);
            return slot;
        }
        case Value::Kind::Object: {
            auto object = v.object();
            if (auto found = coded.find(object.get()); found != coded.end()) return found->second;
            auto coding = std::dynamic_pointer_cast<Coding>(object);
            auto hierarchy = coding ? coding->classHierarchyForCoder() : std::vector<std::string>{};
            if (hierarchy.empty() || hierarchy.front().empty()) {
                failed = true;
                return 0;
            }
            // The slot is known before the object's own entry is written, so objects inside it may
            // refer back to it.
            uint64_t slot = reserve();
            coded.emplace(object.get(), slot);
            plist_t entry = plist_new_dict();
            objects[slot].reset(entry);
            plist_t outer = current;
            current = entry;
            ++depth;
            coding->encodeWithCoder(coder);
            --depth;
            current = outer;
            classed(entry, hierarchy);
            return slot;
        }
        }
        failed = true;
        return 0;
    }
};

KeyedArchiver::KeyedArchiver() : s_(std::make_unique<State>()) {
    s_->objects.emplace_back(plist_new_string("$null"));
    s_->current = s_->top.get();
}

KeyedArchiver::~KeyedArchiver() = default;

void KeyedArchiver::encodeObject(const Value& object, const std::string& key) {
    if (s_->finished) return;
    uint64_t uid = s_->encode(object, *this);
    plist_dict_set_item(s_->current, escapedKey(key).c_str(), plist_new_uid(uid));
}

void KeyedArchiver::encodeBool(bool value, const std::string& key) {
    if (!s_->finished) plist_dict_set_item(s_->current, escapedKey(key).c_str(), plist_new_bool(value));
}

void KeyedArchiver::encodeInteger(long long value, const std::string& key) {
    if (!s_->finished) plist_dict_set_item(s_->current, escapedKey(key).c_str(), plist_new_uint(static_cast<uint64_t>(value)));
}

void KeyedArchiver::encodeDouble(double value, const std::string& key) {
    if (!s_->finished) plist_dict_set_item(s_->current, escapedKey(key).c_str(), plist_new_real(value));
}

DataRef KeyedArchiver::encodedData() {
    if (s_->finished || s_->failed) return nullptr;
    s_->finished = true;
    plisttree::Node root(plist_new_dict());
    plist_t objects = plist_new_array();
    for (auto& node : s_->objects) plist_array_append_item(objects, node.release());
    plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
    plist_dict_set_item(root.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_dict_set_item(root.get(), "$top", s_->top.release());
    plist_dict_set_item(root.get(), "$objects", objects);
    return plisttree::serialize(root.get(), PropertyList::Format::Binary);
}

DataRef KeyedArchiver::archivedData(const Value& root) {
    KeyedArchiver archiver;
    archiver.encodeObject(root, "root");
    return archiver.encodedData();
}

} // namespace ns
