#include "foundation/VXKeyValue.h"

#include "os/foundation/JSONSerialization.h"

#include <gtest/gtest.h>

namespace {

ns::Value json(std::string_view text) { return ns::JSONSerialization::parse(*ns::Data::fromString(text)); }

class Model : public ns::Object {
public:
    std::optional<std::string> text;
    ns::Value Id, number;
    ns::Dictionary paypic;
    ns::Array list;
    bool flag = false;
    int small = 0;
    long long big = 0;
    double real = 0;
    float single = 0;
    static void vx_properties(VXKeyValue::Properties<Model>& p) {
        p.add("text", &Model::text).addNumber("Id", &Model::Id).addNumber("number", &Model::number);
        p.add("paypic", &Model::paypic).add("list", &Model::list).add("flag", &Model::flag).add("small", &Model::small);
        p.add("big", &Model::big).add("real", &Model::real).add("single", &Model::single);
    }
    static ns::Dictionary vx_replacedKeyFromPropertyName() { return {{"Id", "id"}}; }
};

TEST(KeyValue, OneInstancePerDictionaryUnderReplacedKeys) {
    auto rows = VXKeyValue::vx_objectArrayWithKeyValuesArray<Model>(
        json(R"([{"id": 7, "Id": 99, "text": "hi"}, 1, "x", null, [{}], {"id": "8", "text": null}])"));
    ASSERT_EQ(rows.size(), 2u); // elements that are not dictionaries are skipped
    EXPECT_EQ(rows[0]->Id, ns::Value(7));
    EXPECT_EQ(rows[0]->text, "hi");
    EXPECT_EQ(rows[1]->Id, ns::Value(8));
    EXPECT_FALSE(rows[1]->text);
    EXPECT_TRUE(VXKeyValue::vx_objectArrayWithKeyValuesArray<Model>(json(R"({"id": 1})")).empty());
    EXPECT_FALSE(VXKeyValue::vx_objectWithKeyValues<Model>(ns::Value("text")));
}

TEST(KeyValue, FoundationConversionsFromEveryJSONType) {
    auto m = VXKeyValue::vx_objectWithKeyValues<Model>(json(R"({"text": 12.5, "number": "3.25", "flag": "true",
        "small": "42abc", "big": 9007199254740993, "real": "2.5e2", "single": 0.1, "paypic": {"pic": "p"}, "list": [1]})"));
    EXPECT_EQ(m->text, "12.5");
    EXPECT_EQ(m->number, ns::Value(3.25));
    EXPECT_TRUE(m->flag);
    EXPECT_EQ(m->small, 42);
    EXPECT_EQ(m->big, 9007199254740993LL);
    EXPECT_EQ(m->real, 250.0);
    EXPECT_EQ(m->single, 0.1f);
    EXPECT_EQ(m->paypic["pic"].string(), "p");
    EXPECT_EQ(m->list.size(), 1u);

    auto w = VXKeyValue::vx_objectWithKeyValues<Model>(
        json(R"({"text": true, "number": "abc", "flag": 0, "small": {"a": 1}, "paypic": "x", "Id": [2]})"));
    EXPECT_EQ(w->text, "1");
    EXPECT_EQ(w->number, ns::Value(0));
    EXPECT_FALSE(w->flag);
    EXPECT_EQ(w->small, 0);
    EXPECT_TRUE(w->paypic.empty());
    EXPECT_TRUE(VXKeyValue::vx_objectWithKeyValues<Model>(json(R"({"id": [2], "text": {}})"))->Id.isNil());
}

} // namespace
