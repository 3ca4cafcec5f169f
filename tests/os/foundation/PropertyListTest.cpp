#include "os/foundation/PropertyList.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cmath>
#include <cstdlib>

using namespace ns;

namespace {
Value sample() {
    return Dictionary{{"name", "中文 & <xml>"},   {"negative", -5},        {"big", 1LL << 40},
                      {"real", 0.85},            {"yes", true},           {"no", false},
                      {"when", Date{1700000000.25}}, {"bytes", Data::fromString(std::string("\0\x01\xff", 3))},
                      {"list", Array{1, "two", Array{}}}, {"nested", Dictionary{{"z", 1}, {"a", Dictionary()}}}};
}

// Raw libplist bytes, for inputs our writer refuses to make.
DataRef raw(plist_t root, bool binary) {
    char* out = nullptr;
    uint32_t length = 0;
    if (binary) plist_to_bin(root, &out, &length);
    else plist_to_xml(root, &out, &length);
    auto data = Data::make(out, length);
    std::free(out);
    plist_free(root);
    return data;
}
} // namespace

TEST(PropertyList, RoundTripsXMLAndBinaryKeepingTypesAndOrder) {
    for (auto format : {PropertyList::Format::XML, PropertyList::Format::Binary}) {
        auto data = PropertyList::write(sample(), format);
        ASSERT_NE(data, nullptr);
        PropertyList::Format detected{};
        Value back = PropertyList::read(data, nullptr, &detected);
        EXPECT_EQ(detected, format);
        EXPECT_EQ(back.dictionaryPtr()->keys(), sample().dictionaryPtr()->keys());
        EXPECT_TRUE(back["negative"].isInteger());
        EXPECT_TRUE(back["real"].isReal());
        EXPECT_TRUE(back["yes"].isBoolean());
        EXPECT_EQ(back["nested"].dictionaryPtr()->keys().front(), "z");
        EXPECT_EQ(back, sample());
    }
    std::string xml = PropertyList::write(Dictionary{{"k", "v"}}, PropertyList::Format::XML)->toString();
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
    EXPECT_NE(xml.find("<key>k</key>"), std::string::npos);
    EXPECT_EQ(PropertyList::read(Data::fromString("<plist><string>top</string></plist>")).description(), "top");
}

TEST(PropertyList, DatesRoundTripOverTheWholeRangeWithTheirFraction) {
    // Before 1932-12-13 20:45:52 and after 2069-01-19 03:14:07 a 32-bit count of seconds wraps.
    const double kDates[] = {-62167219200.0,  // 0000-01-01
                             -2208988800.5,   // 1900-01-01, half a second before
                             -1200000000.0, 0.0, 1700000000.25, 3155760000.125, 253402300799.0 /* 9999-12-31 */};
    for (auto format : {PropertyList::Format::XML, PropertyList::Format::Binary}) {
        Array dates;
        for (double d : kDates) dates.push_back(Date{d});
        auto data = PropertyList::write(Array{dates, Dictionary{{"again", Date{kDates[1]}}}}, format);
        ASSERT_NE(data, nullptr);
        Value back = PropertyList::read(data);
        ASSERT_EQ(back[0].count(), std::size(kDates));
        for (size_t i = 0; i < std::size(kDates); ++i)
            EXPECT_NEAR(back[0][i].date()->secondsSince1970, kDates[i], 1e-6) << i << " " << static_cast<int>(format);
        EXPECT_NEAR(back[1]["again"].date()->secondsSince1970, kDates[1], 1e-6);
    }
    auto xml = PropertyList::write(Array{Date{-2208988800.5}, Date{1700000000}}, PropertyList::Format::XML)->toString();
    EXPECT_NE(xml.find("<date>1899-12-31T23:59:59.5Z</date>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<date>2023-11-14T22:13:20Z</date>"), std::string::npos) << xml;

    // Binary holds any finite date; XML years 0000 to 9999 only, and says so.
    Value far = Array{Date{1e15}};
    auto binary = PropertyList::write(far, PropertyList::Format::Binary);
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(PropertyList::read(binary), far);
    Ref<Error> error;
    EXPECT_EQ(PropertyList::write(far, PropertyList::Format::XML, &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(error->userInfo()[DebugDescriptionKey].description().find("date out of range"), std::string::npos);
    EXPECT_EQ(PropertyList::write(Array{Value(Date{std::nan("")})}, PropertyList::Format::Binary), nullptr);

    // Read from outside: a date text that is no date fails the whole list, never reads as another date.
    for (std::string bad : {"1900-13-01T00:00:00Z", "2001-01-01T00:00:00", "2001-02-29T00:00:00Z", "", "-001-01-01T00:00:00Z"}) {
        error = nullptr;
        EXPECT_TRUE(PropertyList::read(Data::fromString("<plist><date>" + bad + "</date></plist>"), &error).isNil()) << bad;
        EXPECT_NE(error, nullptr);
    }
    // Comments and CDATA are not dates.
    Value text = PropertyList::read(Data::fromString(
        "<plist><array><!-- <date>x</date> --><string><![CDATA[<date>y</date>]]></string><date>1901-01-01T00:00:00.75Z</date></array></plist>"));
    ASSERT_EQ(text.count(), 2u);
    EXPECT_EQ(text[0], Value("<date>y</date>"));
    EXPECT_NEAR(text[1].date()->secondsSince1970, -2177452800 + 0.75, 1e-6);
}

TEST(PropertyList, WritingRefusesValuesWithoutAPlistForm) {
    Ref<Error> error;
    EXPECT_EQ(PropertyList::write(Array{Value::null()}, PropertyList::Format::XML, &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->domain(), CocoaErrorDomain);
    EXPECT_EQ(error->code(), 3852);
    EXPECT_EQ(PropertyList::write(Value(), PropertyList::Format::Binary), nullptr);
    EXPECT_EQ(PropertyList::write(Value(std::make_shared<Object>()), PropertyList::Format::Binary), nullptr);
    EXPECT_EQ(PropertyList::write(Value(std::string("a\0b", 3)), PropertyList::Format::XML), nullptr);
    EXPECT_FALSE(PropertyList::isValid(Dictionary{{"k", Array{Value::null()}}}));
    EXPECT_TRUE(PropertyList::isValid(sample()));
}

TEST(PropertyList, ReadingFailsCleanlyOnBadBytes) {
    Ref<Error> error;
    for (std::string bad : {"", "not a plist", "<plist><array><string>x</array>", "bplist00", "bplist00garbage-garbage-garbage-garbage-garbage"}) {
        error = nullptr;
        EXPECT_TRUE(PropertyList::read(Data::fromString(bad), &error).isNil()) << bad;
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), 3840);
    }
    EXPECT_TRUE(PropertyList::readFile("/no/such/file.plist", &error).isNil());
    EXPECT_NE(error, nullptr);

    // Text that is not UTF-8 could not be written back, so it is not read either: a binary "ASCII"
    // string holding 0xB1 (object 0, table at 10), raw bytes in XML, a key in XML.
    std::vector<uint8_t> latin1 = {'b', 'p', 'l', 'i', 's', 't', '0', '0', 0x51, 0xB1, 0x08};
    latin1.insert(latin1.end(), {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10});
    EXPECT_TRUE(PropertyList::read(*Data::make(latin1)).isNil());
    EXPECT_TRUE(PropertyList::read(Data::fromString("<plist><string>a\xB1</string></plist>")).isNil());
    EXPECT_TRUE(PropertyList::read(Data::fromString("<plist><dict><key>\xB1</key><true/></dict></plist>")).isNil());

    // Every truncation and many single-byte corruptions of a valid binary plist: no crash.
    auto good = PropertyList::write(sample(), PropertyList::Format::Binary);
    for (size_t n = 0; n < good->length(); ++n) PropertyList::read(good->subdata({0, n}));
    for (size_t i = 0; i < good->length(); ++i) {
        for (uint8_t flip : {0x01, 0x0f, 0x80, 0xff}) {
            auto bad = MutableData::copyOf(*good);
            bad->mutableBytes()[i] ^= flip;
            PropertyList::read(*bad);
        }
    }
}

TEST(PropertyList, RefusesDeepNestingAndLoops) {
    std::string deepXML = "<plist>";
    for (int i = 0; i < 100000; ++i) deepXML += "<array>";
    EXPECT_TRUE(PropertyList::read(Data::fromString(deepXML)).isNil());

    plist_t root = plist_new_array();
    plist_t inner = root;
    for (int i = 0; i < 600; ++i) {
        plist_t next = plist_new_array();
        plist_array_append_item(inner, next);
        inner = next;
    }
    EXPECT_TRUE(PropertyList::read(raw(plist_copy(root), true)).isNil());
    EXPECT_TRUE(PropertyList::read(raw(root, false)).isNil());

    // An array whose only element is itself: header, object 0 = array of one reference to 0,
    // offset table, trailer (offset size 1, reference size 1, 1 object, top 0, table at 10).
    std::vector<uint8_t> loop = {'b', 'p', 'l', 'i', 's', 't', '0', '0', 0xA1, 0x00, 0x08};
    loop.insert(loop.end(), {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10});
    EXPECT_TRUE(PropertyList::read(*Data::make(loop)).isNil());

    // Sixty arrays, each holding the next one twice: tiny bytes that would unfold into 2^60 values.
    std::vector<uint8_t> shared = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    const uint8_t levels = 60;
    for (uint8_t i = 0; i + 1 < levels; ++i) shared.insert(shared.end(), {0xA2, uint8_t(i + 1), uint8_t(i + 1)});
    shared.insert(shared.end(), {0x10, 0x00});
    uint8_t table = static_cast<uint8_t>(shared.size());
    for (uint8_t i = 0; i < levels; ++i) shared.push_back(static_cast<uint8_t>(8 + 3 * i));
    shared.insert(shared.end(), {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, levels, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, table});
    EXPECT_TRUE(PropertyList::read(*Data::make(shared)).isNil());
}
