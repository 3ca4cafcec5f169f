// The payment centre's money: decimal arithmetic cut down to two places, coin counts in single
// precision, and the label texts.
#include "os/foundation/FloatConversion.h"
#include "platform_sdk/VXNewPayVC.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(PayMoney, DecimalArithmeticCutsDownToTwoPlaces) {
    struct { const char *a, *b, *way, *result; } rows[] = {
        {"6.66", "0.950000", "*", "6.32"}, {"10", "1.000000", "*", "10"},  {"6.60", "1.000000", "*", "6.6"},
        {"0.999", "1", "*", "0.99"},      {"10", "15", "-", "-5"},         {"6.66", "2", "-", "4.66"},
        {"4.66", "0.950000", "*", "4.42"}, {"-1.005", "1", "*", "-1.01"}, // down means toward the lower value
        {"6.66", "2", "/", "(null)"},      {".", "1", "*", "NaN"},          {"1.2.3", "1", "*", "1.2"},
    };
    for (const auto& r : rows) EXPECT_EQ(VXNewPayVC::calculateMoney(r.a, r.b, r.way), r.result) << r.a << r.way << r.b;
}

TEST(PayMoney, CoinsAreCountedInSinglePrecisionAndSaturate) {
    // In double 0.3 × 10 rounds up to 4; in float it stays 3.
    EXPECT_EQ(VXNewPayVC::ptbCount("0.3"), 3);
    EXPECT_EQ(VXNewPayVC::ptbCount("12.3"), 123);
    EXPECT_EQ(VXNewPayVC::ptbCount("1.1"), 11);
    EXPECT_EQ(VXNewPayVC::ptbCount("6.32"), 64);
    EXPECT_EQ(VXNewPayVC::ptbCount("6.66"), 67);
    EXPECT_EQ(VXNewPayVC::ptbCount("300000000"), INT_MAX);
    EXPECT_EQ(VXNewPayVC::ptbCount("-300000000"), INT_MIN);
    EXPECT_EQ(VXNewPayVC::ptbCount(std::nullopt), 0);
    EXPECT_EQ(ns::saturatingInt32(std::nan("")), 0);
    EXPECT_EQ(ns::saturatingInt32(-2.7), -2);
}

TEST(PayMoney, LabelTexts) {
    EXPECT_EQ(VXNewPayVC::discountText(0.85f), "（8.5折）");
    EXPECT_EQ(VXNewPayVC::discountText(1.0f), "（10.0折）");
    EXPECT_EQ(VXNewPayVC::ptbBalanceText("12.5"), "（余额:12平台币）"); // exact halves to even
    EXPECT_EQ(VXNewPayVC::yuanBalanceText("1.115"), "（余额:1.12元）");  // 1.11 in double
    EXPECT_EQ(VXNewPayVC::yuanBalanceText(ns::Value()), "（余额:0.00元）");
}
