// Keyed archives from outside bytes: no crash, leak or hang. Random bytes rarely get past the archive's
// header, so most inputs are read as a recipe for an archive in the archiver's layout ("$objects" of
// texts, numbers, class entries, containers and self-encoding objects whose references point anywhere,
// in binary or XML form). A decoded graph archives again and decodes to the same values.

#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A self-encoding class, decoded from whatever its entry holds.
class Thing : public ns::Object, public ns::Coding {
public:
    ns::Value a, escaped;
    long long b = 0;
    bool c = false;
    double d = 0;

    std::string classNameForCoder() const override { return "FuzzThing"; }
    void encodeWithCoder(ns::Coder& coder) const override {
        coder.encodeObject(a, "a");
        coder.encodeInteger(b, "b");
        coder.encodeBool(c, "c");
        coder.encodeDouble(d, "d");
        coder.encodeObject(escaped, "$e");
    }
};

void registerThing() {
    static const bool once = [] {
        ns::Coding::registerClass("FuzzThing", [](ns::Coder& coder) -> ns::Ref<ns::Object> {
            auto t = std::make_shared<Thing>();
            t->a = coder.decodeObject("a");
            t->b = coder.decodeInteger("b");
            t->c = coder.decodeBool("c");
            t->d = coder.decodeDouble("d");
            t->escaped = coder.decodeObject("$e");
            return t;
        });
        return true;
    }();
    (void)once;
}

const char* const kClassNames[] = {"NSArray", "NSMutableArray", "NSSet", "NSOrderedSet", "NSDictionary",
                                   "NSMutableDictionary", "NSString", "NSMutableString", "NSData", "NSDate",
                                   "NSNull", "NSObject", "FuzzThing", "Unknown"};
const char* const kMemberKeys[] = {"a", "b", "c", "d", "$$e", "$e", "$class", "NS.objects", "NS.keys"};

class Recipe {
public:
    Recipe(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

    uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
    uint64_t number() {
        uint64_t v = 0;
        for (int i = byte() % 9; i > 0; --i) v = (v << 8) | byte();
        return v;
    }
    std::string text() {
        const size_t wanted = byte() % 16; // read before measuring what is left
        const size_t n = std::min<size_t>(wanted, end_ - p_);
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        for (char& ch : s)
            if (ch == '\0') ch = ' ';
        return s;
    }
    plist_t ref(size_t count) {
        uint8_t b = byte();
        uint64_t uid = b & 0x7F;
        if (uid > count) uid %= count + 1; // mostly in range, sometimes one past the end
        if (!(b & 0x80)) return plist_new_uid(uid);
        plist_t d = plist_new_dict(); // the XML spelling of a reference
        plist_dict_set_item(d, "CF$UID", plist_new_uint(uid));
        return d;
    }
    plist_t refs(size_t count) {
        plist_t a = plist_new_array();
        for (int i = byte() % 5; i > 0; --i) plist_array_append_item(a, ref(count));
        return a;
    }
    plist_t scalar() {
        switch (byte() % 5) {
        case 0: return plist_new_string(text().c_str());
        case 1: return plist_new_uint(number());
        case 2: return plist_new_real(static_cast<double>(static_cast<int64_t>(number())) / 8);
        case 3: return plist_new_bool(byte() & 1);
        default: {
            std::string s = text();
            return plist_new_data(s.data(), s.size());
        }
        }
    }
    plist_t object(size_t count) {
        const uint8_t kind = byte() % 14;
        if (kind < 5) return kind == 0 ? plist_new_string(byte() & 1 ? "$null" : text().c_str()) : scalar();
        plist_t d = plist_new_dict();
        auto set = [&](const char* key, plist_t v) { plist_dict_set_item(d, key, v); };
        switch (kind) {
        case 5: { // a class entry
            set("$classname", plist_new_string(kClassNames[byte() % std::size(kClassNames)]));
            plist_t classes = plist_new_array();
            for (int i = byte() % 3; i > 0; --i)
                plist_array_append_item(classes, plist_new_string(kClassNames[byte() % std::size(kClassNames)]));
            set("$classes", classes);
            return d;
        }
        case 6: set("NS.objects", refs(count)); break;
        case 7:
            set("NS.keys", refs(count));
            set("NS.objects", refs(count));
            break;
        case 8:
        case 9: { // the key first: argument order is unspecified, and a recipe must read the same everywhere
            const bool first = byte() & 1;
            set(kind == 8 ? (first ? "NS.string" : "NS.bytes") : (first ? "NS.data" : "NS.bytes"), scalar());
            break;
        }
        case 10: set("NS.time", scalar()); break;
        case 11: // members of a self-encoding object: references, inline values or (wrongly) containers
            for (int i = byte() % 5; i > 0; --i) {
                const char* key = kMemberKeys[byte() % std::size(kMemberKeys)];
                uint8_t how = byte() % 4;
                set(key, how < 2 ? ref(count) : how == 2 ? scalar() : refs(count));
            }
            break;
        case 12:
            plist_free(d);
            return ref(count);
        default:
            plist_free(d);
            return refs(count);
        }
        set("$class", ref(count));
        return d;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

ns::DataRef archiveFrom(Recipe& recipe, bool xml) {
    const size_t count = 2 + recipe.byte() % 24;
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    for (size_t i = 1; i < count; ++i) plist_array_append_item(objects, recipe.object(count));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", recipe.ref(count));
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_dict_set_item(root, "$version", plist_new_uint(100000));
    plist_dict_set_item(root, "$objects", objects);
    plist_dict_set_item(root, "$top", top);
    char* out = nullptr;
    uint32_t length = 0;
    if (xml) plist_to_xml(root, &out, &length);
    else plist_to_bin(root, &out, &length);
    plist_free(root);
    if (!out) return nullptr;
    auto data = ns::Data::make(out, length);
    if (xml) plist_to_xml_free(out);
    else plist_to_bin_free(out);
    return data;
}

// Two numbers that went through an archive: NaN matches NaN, infinities themselves, others within
// the rounding of a text form.
bool sameNumber(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    if (a == b) return true;
    return std::fabs(a - b) <= 1e-6 * (1 + std::fabs(a));
}

bool same(const ns::Value& x, const ns::Value& y) {
    if (x.kind() != y.kind()) return false;
    if (auto dx = x.date()) return sameNumber(dx->secondsSince1970, y.date()->secondsSince1970);
    if (x.isReal() && std::isnan(x.doubleValue())) return std::isnan(y.doubleValue());
    if (x.isArray()) {
        if (x.count() != y.count()) return false;
        for (size_t i = 0; i < x.count(); ++i)
            if (!same(x[i], y[i])) return false;
        return true;
    }
    if (x.isDictionary()) {
        if (x.count() != y.count()) return false;
        for (const auto& [key, item] : *x.dictionaryPtr())
            if (!y.dictionaryPtr()->find(key) || !same(item, y[key])) return false;
        return true;
    }
    if (auto tx = x.objectAs<Thing>()) {
        auto ty = y.objectAs<Thing>();
        return ty && same(tx->a, ty->a) && same(tx->escaped, ty->escaped) && tx->b == ty->b && tx->c == ty->c &&
               (tx->d == ty->d || (std::isnan(tx->d) && std::isnan(ty->d)));
    }
    return x == y;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    registerThing();
    ns::DataRef archive;
    if (data[0] % 8 == 0) {
        archive = ns::Data::make(data + 1, size - 1);
    } else {
        Recipe recipe(data + 1, size - 1);
        archive = archiveFrom(recipe, data[0] & 1);
    }
    if (!archive) return 0;

    const ns::Value root = ns::KeyedUnarchiver::unarchiveObject(archive);
    if (auto unarchiver = ns::KeyedUnarchiver::make(*archive)) {
        (void)unarchiver->containsValue("root");
        (void)unarchiver->decodeInteger("root");
        const ns::Value again = unarchiver->decodeObject("root");
        if (!unarchiver->failed() && !same(again, root)) std::abort();
    }
    if (root.isNil()) return 0;
    (void)root.description();

    auto rearchived = ns::KeyedArchiver::archivedData(root);
    if (!rearchived) std::abort(); // everything decoded can be encoded
    if (!same(ns::KeyedUnarchiver::unarchiveObject(rearchived), root)) std::abort();
    return 0;
}
