#include "os/foundation/Data.h"
#include "os/foundation/Format.h"
#include "os/foundation/Value.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace ns;

TEST(Value, TextReadsTheLeadingNumberAsFoundationDoes) {
    const std::pair<const char*, int> ints[] = {{"  42abc", 42}, {"abc", 0},   {"\t -12abc", -12},
                                                {"+7", 7},       {"0x1A", 0}, {"12.9", 12}, {"99999999999", INT_MAX}};
    for (auto [text, n] : ints) EXPECT_EQ(Value(text).intValue(), n) << text;
    EXPECT_EQ(Value("-7").integerValue(), -7);
    EXPECT_EQ(Value("-99999999999999999999999").integerValue(), LLONG_MIN); // text saturates
    const std::pair<const char*, double> reals[] = {{"1.5e3x", 1500}, {".5", 0.5}, {"1.2.3", 1.2}, {"e5", 0}};
    for (auto [text, d] : reals) EXPECT_DOUBLE_EQ(Value(text).doubleValue(), d) << text;
    EXPECT_EQ(Value("12.34xyz").floatValue(), 12.34f);
    for (const char* yes : {"1", "true", "YES", "007", " -5", "y"}) EXPECT_TRUE(Value(yes).boolValue()) << yes;
    for (const char* no : {"no", "0", "000", "false", ""}) EXPECT_FALSE(Value(no).boolValue()) << no;
}

TEST(Value, WrongTypesConvertLikeNilAndNullStaysDistinct) {
    Value arr = Array{1, 2};
    EXPECT_EQ(arr.intValue(), 0);
    EXPECT_EQ(Value::null().intValue(), 0);
    EXPECT_TRUE(Value("x")["key"].isNil());
    EXPECT_TRUE(arr[5].isNil());
    EXPECT_EQ(Value(3).count(), 0u);
    Dictionary d{{"n", Value::null()}};
    EXPECT_TRUE(d["n"].isNull());
    EXPECT_TRUE(d["missing"].isNil());
    EXPECT_NE(Value::null(), Value());
    EXPECT_EQ(Value::null().stringValue(), std::nullopt);
    EXPECT_EQ(Value(12).stringValue(), "12");
    EXPECT_EQ(Value(true), Value(1));
}

TEST(Value, DictionariesKeepInsertionOrderAndNilRemoves) {
    Dictionary d{{"b", 1}, {"a", 2}};
    d.set("c", 3);
    d.set("b", Value());
    EXPECT_EQ(d.keys(), (std::vector<std::string>{"a", "c"}));
    d = Dictionary();
    for (int i = 0; i < 1000; ++i) d.set("k" + std::to_string(i), i);
    d.set("k5", "five");
    d.remove("k0");
    EXPECT_EQ(d.count(), 999u);
    EXPECT_EQ(d.keys().front(), "k1");
    EXPECT_EQ(d["k5"].description(), "five");
    EXPECT_EQ(d["k999"].intValue(), 999);
    EXPECT_TRUE(d["k0"].isNil());
}

TEST(Value, NumbersConvertAsCCasts) {
    EXPECT_EQ(Value(3.9).intValue(), 3);
    EXPECT_EQ(Value(-3.9).integerValue(), -3);
    EXPECT_EQ(Value(1e20).integerValue(), LLONG_MAX);
    EXPECT_EQ(Value(5000000000LL).intValue(), 705032704); // low 32 bits
    EXPECT_FALSE(Value(0.0).boolValue());
    EXPECT_TRUE(Value(0.1).boolValue());
    EXPECT_FLOAT_EQ(Value(6.66).floatValue(), 6.66f);
}

TEST(Value, UnsignedAndSinglePrecisionNumbersKeepTheirText) {
    Value big(18446744073709551615ull);
    EXPECT_TRUE(big.isInteger());
    EXPECT_EQ(big.description(), "18446744073709551615");
    EXPECT_EQ(big.unsignedValue(), 18446744073709551615ull);
    EXPECT_EQ(big.integerValue(), LLONG_MAX); // saturates, never wraps to -1
    EXPECT_EQ(Value(9223372036854775808ull).integerValue(), LLONG_MAX);
    EXPECT_EQ(Value("4294967297").integerValue(), 4294967297LL);
    EXPECT_NE(big, Value(-1));
    EXPECT_EQ(Value(42ull), Value(42)); // inside the signed range it is a plain integer
    Value f(0.1f);
    EXPECT_TRUE(f.isReal());
    EXPECT_EQ(f.description(), "0.1");
    EXPECT_EQ(f.doubleValue(), static_cast<double>(0.1f));
    EXPECT_NE(f, Value(0.1));
}

TEST(Value, RealsPrintShortestInPercentGStyle) {
    const std::pair<double, const char*> reals[] = {{100.0, "100"},  {123456.789, "123456.789"}, {-2.5, "-2.5"},
                                                    {0.0001, "0.0001"}, {0.00001, "1e-05"},     {1e16, "1e+16"},
                                                    {0.1 + 0.2, "0.30000000000000004"}, {std::nan(""), "nan"}};
    for (auto [value, text] : reals) EXPECT_EQ(Value(value).description(), text);
}

TEST(Value, ContainerDescriptionsNestAsFoundationPrintsThem) {
    Value v = Dictionary{{"b", Array{1, "two words", Dictionary{{"k", Value::null()}}}},
                         {"a", Dictionary{{"x", 1.5}}},
                         {"c", "中"},
                         {"d", Array{}}};
    EXPECT_EQ(v.description(), "{\n"
                               "    a =     {\n"
                               "        x = 1.5;\n"
                               "    };\n"
                               "    b =     (\n"
                               "        1,\n"
                               "        \"two words\",\n"
                               "                {\n"
                               "            k = \"<null>\";\n"
                               "        }\n"
                               "    );\n"
                               "    c = \"\\U4e2d\";\n"
                               "    d =     (\n"
                               "    );\n"
                               "}");
    EXPECT_EQ(Value(Array{}).description(), "(\n)");
    EXPECT_EQ(Value(Array{"a\"b", -5, Data::fromString("ab")}).description(), "(\n    \"a\\\"b\",\n    \"-5\",\n    \"<6162>\"\n)");
    EXPECT_EQ(Value(Date{0}).description(), "1970-01-01 00:00:00 +0000");
    EXPECT_EQ(Value(Date{-0.5}).description(), "1969-12-31 23:59:59 +0000");
    // No calendar date to show: the seconds themselves, never a made-up date.
    EXPECT_EQ(Value(Date{std::nan("")}).description(), "nan");
    EXPECT_EQ(Value(Date{-INFINITY}).description(), "-inf");
    EXPECT_EQ(Value(Date{1e300}).description(), "1e+300");
    EXPECT_EQ(Value(Date{-1e18}).description(), "-1e+18");
    EXPECT_EQ(format("%@", Value(Date{std::nan("")})), "nan");
}

TEST(Format, ConversionsOfTheDesignsFormatStrings) {
    EXPECT_EQ(format("%@|%@|%@", Value(), Value::null(), 7), "(null)|<null>|7");
    EXPECT_EQ(format("%d|%ld|%u|%lu", Value("12"), LLONG_MAX, -1, 5ul), "12|9223372036854775807|4294967295|5");
    EXPECT_EQ(format("%f|%.1f|%.2f|%0.f|%.f|%.0f", 6.66f, 12.34f, 0.005, 1700000000.6, 2.5, 3.5),
              "6.660000|12.3|0.01|1700000001|2|4");
    EXPECT_EQ(format("%s|%s|%%|%5.1f|%-4d|%03d", "abc", Value(), 3.14159, 7, 5), "abc|(null)|%|  3.1|7   |005");
    EXPECT_EQ(format("%*d|%.*f", -4, 1, -1, 2.5), "1   |2.500000");
    EXPECT_EQ(format("%@****%@", "138", "5678"), "138****5678");
    EXPECT_EQ(format("%@x", 1.5f), "1.5x");
    EXPECT_EQ(format("%d %@", 1), "1 (null)"); // a missing argument reads as nil
    EXPECT_EQ(format("50%"), "50%");
    EXPECT_EQ(format("%k %n", 1), "%k %n");
}
