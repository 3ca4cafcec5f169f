// Reply models: values kept as they came, booleans and texts converted, containers type-checked.
#include "platform_sdk/VXBaseResponse.h"

#include <gtest/gtest.h>

using ns::Value;

TEST(Models, ValuesAsTheyCameAndConvertedFields) {
    auto login = LoginResult::responseWithDic(ns::Dictionary{{"z", 1}, {"b", "player01"}, {"frz", "1"}, {"nrz", 2}});
    EXPECT_EQ(login->code, Value(1));
    EXPECT_EQ(login->userName, Value("player01"));
    EXPECT_EQ(login->rzStatus, Value(2));
    EXPECT_TRUE(login->isMustRZ);
    EXPECT_TRUE(login->sid.isNil());
    for (Value frz : {Value("0"), Value("no"), Value(), Value::null(), Value(ns::Array{})})
        EXPECT_FALSE(LoginResult::responseWithDic(ns::Dictionary{{"frz", frz}})->isMustRZ) << frz.description();
    for (Value frz : {Value("true"), Value("Yes"), Value("009"), Value(1)})
        EXPECT_TRUE(rzResult::responseWithDic(ns::Dictionary{{"frz", frz}})->isMustRZ) << frz.description();

    // The notice: nested fields, and the status as text even when missing.
    auto notice = GetNotice::responseWithDic(ns::Dictionary{{"code", 1}, {"msg", "ok"}});
    EXPECT_TRUE(notice->content.isNil());
    EXPECT_TRUE(notice->noticeId.isNil());
    EXPECT_EQ(notice->status, "(null)");
    notice = GetNotice::responseWithDic(ns::Dictionary{{"data", ns::Dictionary{{"status", 0}, {"id", 7}}}});
    EXPECT_EQ(notice->status, "0");
    EXPECT_EQ(notice->noticeId, Value(7));
    // "data" of the wrong type reads as missing.
    EXPECT_TRUE(HelpQQAndTel::responseWithDic(ns::Dictionary{{"data", "x"}})->QQ.isNil());

    // A reply that did not decode gives an empty model, not a crash.
    auto none = RegisterResult::responseWithDic(Value());
    EXPECT_TRUE(none->code.isNil() && none->mesage.isNil());
    EXPECT_TRUE(VXBaseResponse::responseWithDic(ns::Dictionary{{"z", 1}})->code.isNil());
}

TEST(Models, OrderRecordsAndPayWaysKeepOnlyArrays) {
    EXPECT_FALSE(OrderRecords::responseWithDic(ns::Dictionary{{"data", ns::Dictionary{{"z", "o1"}}}})->dataArray);
    auto empty = OrderRecords::responseWithDic(ns::Dictionary{{"data", ns::Array{}}});
    ASSERT_TRUE(empty->dataArray);
    EXPECT_TRUE(empty->dataArray->empty());

    auto records = OrderRecords::responseWithDic(ns::Dictionary{
        {"z", 1},
        {"data", ns::Array{ns::Dictionary{{"z", "o1"}, {"b", "6.00"}, {"paytype", 2}, {"create_time", "t"}, {"d", "d1"}},
                           "not a dictionary"}}});
    EXPECT_TRUE(records->code.isNil());
    ASSERT_EQ(records->dataArray->size(), 2u);
    EXPECT_EQ((*records->dataArray)[0]->orderID, Value("o1"));
    EXPECT_EQ((*records->dataArray)[0]->Paytype, Value(2));
    EXPECT_EQ((*records->dataArray)[0]->creatTime, Value("d1"));
    EXPECT_TRUE((*records->dataArray)[1]->orderID.isNil());

    auto ways = PayWay::responseWithDic(ns::Dictionary{{"code", 1}, {"data", ns::Array{ns::Dictionary{{"z", 4}}}}});
    ASSERT_EQ(ways->data->size(), 1u);
    EXPECT_EQ((*ways->data)[0]->code, Value(4));
    EXPECT_EQ(WeiXinInfo::responseWithDic(ns::Dictionary{})->timestamp, "(null)");
}
