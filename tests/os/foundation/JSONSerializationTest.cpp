#include "os/foundation/JSONSerialization.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ns;

namespace {
Value parse(std::string_view text, unsigned options = 0, Ref<Error>* error = nullptr) {
    return JSONSerialization::parse(Data::fromString(text), options, error);
}
std::string write(const Value& v, unsigned options = 0) {
    auto data = JSONSerialization::write(v, options);
    return data ? data->toString() : "<failed>";
}
std::string debugText(const Ref<Error>& e) { return e ? e->userInfo()[DebugDescriptionKey].description() : ""; }
} // namespace

TEST(JSONRead, KeepsKindsExactValuesAndOrder) {
    Value v = parse(R"({"z":"1","i":-7,"max":9223372036854775807,"u":18446744073709551615,"r":1.5,"e":1e2,
                       "t":true,"f":false,"n":null,"s":"\u4e2d\/x","a":[1,"2",[]],"huge":123456789012345678901234567890})");
    ASSERT_TRUE(v.isDictionary());
    EXPECT_EQ(v.dictionaryPtr()->keys().front(), "z");
    EXPECT_TRUE(v["z"].isString());
    EXPECT_EQ(v["z"].intValue(), 1);
    EXPECT_TRUE(v["i"].isInteger());
    EXPECT_EQ(v["max"].integerValue(), 9223372036854775807LL);
    EXPECT_EQ(v["u"].description(), "18446744073709551615");
    EXPECT_TRUE(v["r"].isReal());
    EXPECT_TRUE(v["e"].isReal());
    EXPECT_EQ(v["e"].description(), "100");
    EXPECT_TRUE(v["t"].isBoolean());
    EXPECT_EQ(v["t"].description(), "1");
    EXPECT_TRUE(v["n"].isNull());
    EXPECT_TRUE(v["missing"].isNil());
    EXPECT_EQ(v["s"].description(), "中/x");
    EXPECT_EQ(v["a"].count(), 3u);
    EXPECT_TRUE(v["huge"].isReal()); // beyond 64 bits
    EXPECT_EQ(parse(" [ ] ").count(), 0u);
}

TEST(JSONRead, FailuresAreCocoaErrors) {
    Ref<Error> error;
    EXPECT_TRUE(parse("", 0, &error).isNil());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->domain(), "NSCocoaErrorDomain");
    EXPECT_EQ(error->code(), 3840);
    EXPECT_EQ(debugText(error), "No value.");
    parse("{} x", 0, &error);
    EXPECT_EQ(debugText(error), "Garbage at end.");
    parse("\"text\"", 0, &error);
    EXPECT_EQ(debugText(error), "JSON text did not start with array or object and option to allow fragments not set.");
    EXPECT_EQ(parse("\"text\"", JSONSerialization::ReadingFragmentsAllowed).description(), "text");
    EXPECT_EQ(parse("42", JSONSerialization::ReadingFragmentsAllowed).integerValue(), 42);
    for (const char* bad : {"[1,]", "{\"a\" 1}", "[\"\xff\"]", "[\"a\nb\"]", "[NaN]", "{'a':1}", "[1", "[\"\\ud800\"]"}) {
        error = nullptr;
        EXPECT_TRUE(parse(bad, 0, &error).isNil()) << bad;
        EXPECT_NE(error, nullptr) << bad;
    }
    // A body that is not entirely one JSON text is an error, whatever byte follows: 0x00 included.
    using namespace std::string_literals;
    for (const std::string& trailing : {"[1] x"s, "[1]\0garbage"s, "{\"a\":1}\0{\"b\":2}"s, "[1]\0"s, "123\0"s, "\"s\"\0"s}) {
        for (unsigned mode : {0u, unsigned(JSONSerialization::ReadingFragmentsAllowed),
                              unsigned(JSONSerialization::ReadingMutableContainers | JSONSerialization::ReadingMutableLeaves |
                                       JSONSerialization::ReadingFragmentsAllowed)}) {
            error = nullptr;
            EXPECT_TRUE(parse(trailing, mode, &error).isNil()) << mode;
            EXPECT_EQ(debugText(error), "Garbage at end.") << mode;
        }
    }
    EXPECT_TRUE(JSONSerialization::parse(DataRef(), 0, &error).isNil());
    // Nesting far beyond reason is an error, not a stack overflow.
    EXPECT_TRUE(parse(std::string(200000, '[')).isNil());
    EXPECT_TRUE(parse(std::string(513, '[') + std::string(513, ']')).isNil());
    EXPECT_FALSE(parse(std::string(500, '[') + std::string(500, ']')).isNil());
}

TEST(JSONWrite, CompactWithEscapedSlashesAndRawUnicodeAndReadBackExactly) {
    EXPECT_EQ(write(Dictionary()), "{}");
    EXPECT_EQ(write(Array()), "[]");
    Value v = Dictionary{{"url", "http://a/b"}, {"name", "中文"}, {"q", "\"\\\n\t\x01"},
                         {"n", Array{1, -2, 0.85, 1.0, true, false, Value::null(), 18446744073709551615ull}}};
    EXPECT_EQ(write(v), R"({"url":"http:\/\/a\/b","name":"中文","q":"\"\\\n\t\u0001","n":[1,-2,0.85,1,true,false,null,18446744073709551615]})");
    EXPECT_EQ(write(Dictionary{{"u", "a/b"}}, JSONSerialization::WritingWithoutEscapingSlashes), R"({"u":"a/b"})");
    EXPECT_EQ(write(Dictionary{{"b", 1}, {"a", Array{2}}}, JSONSerialization::WritingPrettyPrinted | JSONSerialization::WritingSortedKeys),
              "{\n  \"a\" : [\n    2\n  ],\n  \"b\" : 1\n}");
    EXPECT_EQ(write("x", JSONSerialization::WritingFragmentsAllowed), "\"x\"");
    // Through the reader and back, an integer beyond a double's 53 bits included.
    Value back = Dictionary{{"id", 9007199254740993LL}, {"price", 12.5}, {"ok", true},
                            {"list", Array{Dictionary{{"k", "v/w"}}, Value::null(), "中"}}};
    EXPECT_EQ(parse(write(back)), back);
    EXPECT_EQ(parse(write(back))["id"].integerValue(), 9007199254740993LL);
}

TEST(JSONWrite, RefusesWhatJSONCannotHold) {
    Ref<Error> error;
    EXPECT_EQ(JSONSerialization::write(Value(), 0, &error), nullptr);
    EXPECT_EQ(error->code(), 3852);
    EXPECT_EQ(write("fragment"), "<failed>");
    EXPECT_EQ(write(Array{std::nan("")}), "<failed>");
    EXPECT_EQ(write(Array{HUGE_VAL}), "<failed>");
    EXPECT_EQ(write(Array{Data::fromString("x")}), "<failed>");
    EXPECT_EQ(write(Array{Date{0}}), "<failed>");
    EXPECT_EQ(write(Array{"\xc3"}), "<failed>"); // not UTF-8
    EXPECT_FALSE(JSONSerialization::isValidJSONObject(Array{Date{0}}));
    EXPECT_TRUE(JSONSerialization::isValidJSONObject(Dictionary{{"a", Array{Value::null()}}}));
}
