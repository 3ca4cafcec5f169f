#include "os/foundation/Format.h"
#include "os/foundation/Value.h"

#include <gtest/gtest.h>

using namespace ns;

TEST(Value, TextConversionsFollowFoundation) {
    EXPECT_EQ(Value("  42abc").intValue(), 42);
    EXPECT_EQ(Value("abc").intValue(), 0);
    EXPECT_EQ(Value("-7").integerValue(), -7);
    EXPECT_TRUE(Value("1").boolValue());
    EXPECT_TRUE(Value("true").boolValue());
    EXPECT_TRUE(Value("YES").boolValue());
    EXPECT_FALSE(Value("no").boolValue());
    EXPECT_FALSE(Value("0").boolValue());
    EXPECT_TRUE(Value("007").boolValue());
    EXPECT_FLOAT_EQ(Value("12.34xyz").floatValue(), 12.34f);
}

TEST(Value, WrongTypesConvertLikeNil) {
    Value arr = Array{1, 2};
    EXPECT_EQ(arr.intValue(), 0);
    EXPECT_EQ(Value::null().intValue(), 0);
    EXPECT_TRUE(Value("x")["key"].isNil());
    EXPECT_TRUE(arr[5].isNil());
    EXPECT_EQ(Value(3).count(), 0u);
}

TEST(Value, DescriptionIsThePercentAtText) {
    EXPECT_EQ(Value().description(), "(null)");
    EXPECT_EQ(Value::null().description(), "<null>");
    EXPECT_EQ(Value(0.85).description(), "0.85");
    EXPECT_EQ(Value(1.0).description(), "1");
    EXPECT_EQ(Value(true).description(), "1");
    EXPECT_EQ(format("%@元 %d %.2f %0.f %s", Value(12.5), 7, 3.14159, 2.5, "x"), "12.5元 7 3.14 2 x");
}

TEST(Value, DictionaryKeepsInsertionOrderAndNilRemoves) {
    Dictionary d{{"b", 1}, {"a", 2}};
    d.set("c", 3);
    d.set("b", Value());
    EXPECT_EQ(d.keys(), (std::vector<std::string>{"a", "c"}));
}
