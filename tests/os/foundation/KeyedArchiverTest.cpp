#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"
#include "os/foundation/PropertyList.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>
#include <regex>

using namespace ns;

namespace {

// A self-encoding class in the shape of the image kit's: a scale, bytes, a flag and a link.
class Sprite : public Object, public Coding {
public:
    double scale = 1;
    DataRef bytes;
    bool animated = false;
    Value link;

    std::string classNameForCoder() const override { return "VXTestSprite"; }
    std::vector<std::string> classHierarchyForCoder() const override { return {"VXTestSprite", "VXTestImage", "NSObject"}; }
    void encodeWithCoder(Coder& coder) const override {
        coder.encodeObject(Value(scale), "VXImageScale");
        coder.encodeObject(Value(bytes), "VXImageData");
        coder.encodeBool(animated, "animated");
        coder.encodeObject(link, "$link");
    }
    static void registerFactory() {
        Coding::registerClass("VXTestSprite", [](Coder& coder) -> Ref<Object> {
            auto s = std::make_shared<Sprite>();
            s->scale = coder.decodeObject("VXImageScale").doubleValue();
            s->bytes = coder.decodeObject("VXImageData").data();
            s->animated = coder.decodeBool("animated");
            s->link = coder.decodeObject("$link");
            return s;
        });
    }
};

// An archive in the system archiver's own layout, object by object; @n refers to object n.
const char* kHandBuilt = R"(<plist version="1.0"><dict>
  <key>$version</key><integer>100000</integer><key>$archiver</key><string>NSKeyedArchiver</string>
  <key>$top</key><dict><key>root</key>@1</dict>
  <key>$objects</key><array>
    <string>$null</string>
    <dict><key>NS.keys</key><array>@2 @3 @4</array><key>NS.objects</key><array>@5 @6 @8</array><key>$class</key>@12</dict>
    <string>name</string><string>scale</string><string>items</string>
    <dict><key>NS.string</key><string>游戏</string><key>$class</key>@13</dict>
    <real>2.5</real>
    <dict><key>VXImageScale</key>@6<key>VXImageData</key>@10<key>animated</key><true/><key>$class</key>@14</dict>
    <dict><key>NS.objects</key><array>@7 @9 @11</array><key>$class</key>@15</dict>
    <integer>42</integer><data>iVBORw==</data><dict><key>$class</key>@16</dict>
    <dict><key>$classes</key><array><string>NSMutableDictionary</string><string>NSDictionary</string><string>NSObject</string></array>
      <key>$classname</key><string>NSMutableDictionary</string></dict>
    <dict><key>$classes</key><array><string>NSMutableString</string><string>NSString</string><string>NSObject</string></array>
      <key>$classname</key><string>NSMutableString</string></dict>
    <dict><key>$classes</key><array><string>VXTestSprite</string><string>VXTestImage</string><string>NSObject</string></array>
      <key>$classname</key><string>VXTestSprite</string></dict>
    <dict><key>$classes</key><array><string>NSArray</string><string>NSObject</string></array>
      <key>$classname</key><string>NSArray</string></dict>
    <dict><key>$classes</key><array><string>NSNull</string><string>NSObject</string></array>
      <key>$classname</key><string>NSNull</string></dict>
  </array></dict></plist>)";

// Binary archives hold UID nodes where XML spells {"CF$UID": n}.
void toUIDs(plist_t node) {
    if (plist_get_node_type(node) == PLIST_ARRAY)
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i) toUIDs(plist_array_get_item(node, i));
    if (plist_get_node_type(node) != PLIST_DICT) return;
    if (plist_t n = plist_dict_get_item(node, "CF$UID")) {
        uint64_t value = 0;
        plist_get_uint_val(n, &value);
        plist_dict_remove_item(node, "CF$UID");
        return plist_set_uid_val(node, value);
    }
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    plist_t child = nullptr;
    for (plist_dict_next_item(node, it, nullptr, &child); child; plist_dict_next_item(node, it, nullptr, &child)) toUIDs(child);
    std::free(it);
}

DataRef handBuiltArchive(bool binary) {
    std::string xml = std::regex_replace(kHandBuilt, std::regex("@(\\d+)"), "<dict><key>CF$UID</key><integer>$1</integer></dict>");
    if (!binary) return Data::fromString(xml);
    plist_t archive = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &archive);
    toUIDs(archive);
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(archive, &out, &length);
    auto data = Data::make(out, length);
    std::free(out);
    plist_free(archive);
    return data;
}

} // namespace

TEST(KeyedArchive, UsesTheSystemLayout) {
    auto data = KeyedArchiver::archivedData(Value(2.0));
    ASSERT_NE(data, nullptr);
    PropertyList::Format format{};
    Value plist = PropertyList::read(data, nullptr, &format);
    EXPECT_EQ(format, PropertyList::Format::Binary);
    EXPECT_EQ(plist["$archiver"].description(), "NSKeyedArchiver");
    EXPECT_EQ(plist["$version"].integerValue(), 100000);
    EXPECT_EQ(plist["$objects"][0].description(), "$null");
    EXPECT_EQ(plist["$objects"][1], Value(2.0));
    EXPECT_EQ(plist["$top"]["root"]["CF$UID"].integerValue(), 1);

    Value array = PropertyList::read(KeyedArchiver::archivedData(Array{"a", "a"}));
    EXPECT_EQ(array["$objects"].count(), 4u); // $null, the array, "a" once, the class
    EXPECT_EQ(array["$objects"][3]["$classname"].description(), "NSArray");
    EXPECT_EQ(array["$objects"][1]["NS.objects"][1]["CF$UID"].integerValue(), 2);
}

TEST(KeyedArchive, ValuesRoundTrip) {
    Value v = Dictionary{{"int", -42},  {"double", 2.5}, {"bool", true}, {"text", "中文"},
                         {"data", Data::fromString("bytes")}, {"null", Value::null()}, {"date", Date{1700000000.5}},
                         {"list", Array{1, Array{}, Dictionary{{"k", "v"}}}}};
    EXPECT_EQ(KeyedUnarchiver::unarchiveObject(KeyedArchiver::archivedData(v)), v);
    EXPECT_EQ(KeyedUnarchiver::unarchiveObject(KeyedArchiver::archivedData(Value(1.5))).doubleValue(), 1.5);
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(KeyedArchiver::archivedData(Value())).isNil());
}

TEST(KeyedArchive, SelfEncodingObjectsRoundTripWithSharedReferences) {
    Sprite::registerFactory();
    auto sprite = std::make_shared<Sprite>();
    sprite->scale = 3;
    sprite->bytes = Data::fromString("png");
    sprite->animated = true;
    sprite->link = "dollar key";
    Value back = KeyedUnarchiver::unarchiveObject(KeyedArchiver::archivedData(Array{Value(sprite), Value(sprite)}));
    ASSERT_EQ(back.count(), 2u);
    auto a = back[0].objectAs<Sprite>();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, back[1].objectAs<Sprite>()); // one object, referenced twice
    EXPECT_EQ(a->scale, 3);
    EXPECT_EQ(a->bytes->toString(), "png");
    EXPECT_TRUE(a->animated);
    EXPECT_EQ(a->link.description(), "dollar key");

    // Objects that do not encode themselves cannot be archived.
    EXPECT_EQ(KeyedArchiver::archivedData(Array{Value(std::make_shared<Object>())}), nullptr);
    // A loop through an object archives, but does not decode into values: nil, no crash.
    auto loop = std::make_shared<Sprite>();
    loop->link = Value(loop);
    auto looped = KeyedArchiver::archivedData(Value(loop));
    ASSERT_NE(looped, nullptr);
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(looped).isNil());
    loop->link = Value(); // break the cycle for the leak checker
}

TEST(KeyedArchive, DecodesAnArchiveBuiltByHandInBothPlistForms) {
    Sprite::registerFactory();
    for (bool binary : {true, false}) {
        Value root = KeyedUnarchiver::unarchiveObject(handBuiltArchive(binary));
        ASSERT_TRUE(root.isDictionary()) << binary;
        EXPECT_EQ(root["name"].description(), "游戏");
        EXPECT_EQ(root["scale"].doubleValue(), 2.5);
        ASSERT_EQ(root["items"].count(), 3u);
        auto sprite = root["items"][0].objectAs<Sprite>();
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->scale, 2.5);
        EXPECT_EQ(sprite->bytes->toString(), "\x89PNG");
        EXPECT_TRUE(sprite->animated);
        EXPECT_EQ(root["items"][1].integerValue(), 42);
        EXPECT_TRUE(root["items"][2].isNull());
    }
    auto unarchiver = KeyedUnarchiver::make(*handBuiltArchive(true));
    ASSERT_NE(unarchiver, nullptr);
    EXPECT_TRUE(unarchiver->containsValue("root"));
    EXPECT_FALSE(unarchiver->containsValue("other"));
    EXPECT_TRUE(unarchiver->decodeObject("other").isNil());
}

TEST(KeyedArchive, HostileBytesDecodeToNil) {
    Sprite::registerFactory();
    auto good = handBuiltArchive(true);
    for (size_t n = 0; n < good->length(); ++n) EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(good->subdata({0, n})).isNil());
    for (size_t i = 0; i < good->length(); ++i) {
        for (uint8_t flip : {0x01, 0x02, 0x10, 0x80, 0xff}) {
            auto bad = MutableData::copyOf(*good);
            bad->mutableBytes()[i] ^= flip;
            KeyedUnarchiver::unarchiveObject(*bad); // any answer, but no crash
        }
    }
    // Well-formed plists that are not well-formed archives.
    auto archiveWith = [](const std::function<void(Value&)>& change) {
        Value plist = PropertyList::read(KeyedArchiver::archivedData(Array{1, "x"}));
        change(plist);
        return KeyedUnarchiver::unarchiveObject(PropertyList::write(plist, PropertyList::Format::XML));
    };
    EXPECT_EQ(archiveWith([](Value&) {}).count(), 2u); // unchanged, through XML: fine
    EXPECT_TRUE(archiveWith([](Value& p) { p.set("$archiver", "Other"); }).isNil());
    EXPECT_TRUE(archiveWith([](Value& p) { p.set("$version", 99); }).isNil());
    EXPECT_TRUE(archiveWith([](Value& p) { p.set("$top", Dictionary{{"root", Dictionary{{"CF$UID", 99}}}}); }).isNil());
    EXPECT_TRUE(archiveWith([](Value& p) { p.set("$top", Dictionary{{"root", Dictionary{{"CF$UID", 4}}}}); }).isNil()); // the class entry
    EXPECT_TRUE(archiveWith([](Value& p) { p.set("$objects", "none"); }).isNil());
    // Sixty arrays each holding the next one twice would unfold into 2^60 values.
    Value shared = PropertyList::read(KeyedArchiver::archivedData(Array{"x"}));
    Array objects{"$null"};
    for (int i = 1; i <= 60; ++i) {
        Value next = Dictionary{{"CF$UID", i + 1}};
        objects.push_back(Dictionary{{"NS.objects", Array{next, next}}, {"$class", Dictionary{{"CF$UID", 62}}}});
    }
    objects.push_back("x");
    objects.push_back(shared["$objects"][3]); // the NSArray class entry
    shared.set("$objects", objects);
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(PropertyList::write(shared, PropertyList::Format::XML)).isNil());

    // Bytes that are not UTF-8 are no text (and could not be archived again).
    std::string xml = PropertyList::write(PropertyList::read(KeyedArchiver::archivedData(Value("x"))), PropertyList::Format::XML)->toString();
    xml.replace(xml.find("<string>x</string>"), 18, "<string>\xB1</string>");
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(Data::fromString(xml)).isNil());
    auto stringFromBytes = [](const char* bytes) {
        Value plist = PropertyList::read(KeyedArchiver::archivedData(Value("x")));
        plist.set("$objects", Array{"$null", Dictionary{{"NS.bytes", Data::fromString(bytes)}, {"$class", Dictionary{{"CF$UID", 2}}}},
                                    Dictionary{{"$classname", "NSString"}}});
        return KeyedUnarchiver::unarchiveObject(PropertyList::write(plist, PropertyList::Format::Binary));
    };
    EXPECT_EQ(stringFromBytes("游戏"), Value("游戏"));
    EXPECT_TRUE(stringFromBytes("\xB3").isNil());

    EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(Data::fromString("not an archive")).isNil());
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(DataRef()).isNil());
}
