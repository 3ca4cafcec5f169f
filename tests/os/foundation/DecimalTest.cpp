#include "os/foundation/Decimal.h"
#include "os/foundation/Error.h"

#include <gtest/gtest.h>

using namespace ns;

namespace {
Decimal dec(const char* text) { return Decimal::fromString(text); }
// The payment centre's handler: cut down to 2 places, raise only on division by zero.
const DecimalHandler money(RoundingMode::Down, 2, false, false, false, true);
const DecimalHandler quiet(RoundingMode::Plain, DecimalHandler::NoScale, false, false, false, false);
} // namespace

TEST(Decimal, PaymentArithmeticExamples) {
    EXPECT_EQ(dec("6.66").multiplying(dec("0.95"), money).description(), "6.32");
    Decimal diff = dec("10").subtracting(dec("15"), money);
    EXPECT_EQ(diff.description(), "-5");
    EXPECT_EQ(diff.compare(Decimal(0)), ComparisonResult::Ascending);
    EXPECT_EQ(dec("1").dividing(dec("2")).description(), "0.5");
    EXPECT_EQ(dec("100").multiplying(dec("0.9"), money).description(), "90");
    EXPECT_EQ(dec("0.1").adding(dec("0.2")), dec("0.3")); // exact, unlike binary floating point
    EXPECT_EQ(dec("-0.01").multiplying(dec("0.5"), money).description(), "-0.01"); // down is toward minus infinity
}

TEST(Decimal, RoundingModesAtAScale) {
    struct Row {
        RoundingMode mode;
        const char *positive, *negative;
    };
    for (auto row : {Row{RoundingMode::Plain, "1.3", "-1.3"}, Row{RoundingMode::Down, "1.2", "-1.3"},
                     Row{RoundingMode::Up, "1.3", "-1.2"}, Row{RoundingMode::Bankers, "1.2", "-1.2"}}) {
        DecimalHandler h(row.mode, 1, false, true, true, true);
        EXPECT_EQ(dec("1.25").rounding(h).description(), row.positive);
        EXPECT_EQ(dec("-1.25").rounding(h).description(), row.negative);
    }
    DecimalHandler bankers(RoundingMode::Bankers, 1, false, true, true, true);
    EXPECT_EQ(dec("1.35").rounding(bankers).description(), "1.4");
    EXPECT_EQ(dec("1.2501").rounding(bankers).description(), "1.3");
    EXPECT_EQ(dec("1234.5").rounding(DecimalHandler(RoundingMode::Plain, -2, false, true, true, true)).description(), "1200");
}

TEST(Decimal, ThirtyEightDigitsAreExact) {
    const char* digits38 = "12345678901234567890.123456789012345678";
    EXPECT_EQ(dec(digits38).adding(Decimal(0)).description(), digits38);
    EXPECT_EQ(dec("1234567890123456789").multiplying(dec("1000000000000000001")).description(),
              "1234567890123456790234567890123456789");
    EXPECT_EQ(dec("99999999999999999999999999999999999999").adding(Decimal(1)).description(),
              "100000000000000000000000000000000000000");
    Decimal third = Decimal(1).dividing(Decimal(3));
    EXPECT_EQ(third.description(), "0." + std::string(38, '3'));
    EXPECT_EQ(third.multiplying(Decimal(3)).description(), "0." + std::string(38, '9'));
    EXPECT_EQ(dec("2").dividing(dec("3")).description(), "0." + std::string(37, '6') + "7");
    // A tiny addend beyond 38 digits only rounds.
    EXPECT_EQ(dec("1e30").adding(dec("1e-30")).description(), "1" + std::string(30, '0'));
    DecimalHandler down(RoundingMode::Down, DecimalHandler::NoScale, false, true, true, true);
    EXPECT_EQ(dec("1e30").subtracting(dec("1e-30"), down).description(), "999999999999999999999999999999.99999999");
}

TEST(Decimal, ParsingTakesTheLeadingNumber) {
    for (const char* nan : {"abc", "", "-", ".", "1e200" /* beyond the exponent range */}) EXPECT_TRUE(dec(nan).isNaN()) << nan;
    const std::pair<const char*, const char*> cases[] = {
        {"12abc", "12"}, {"1.2.3", "1.2"}, {" -0.50", "-0.5"}, {"+.5", "0.5"}, {"1.5e3", "1500"}, {"1e-3", "0.001"}, {"-0", "0"},
        {"123456789012345678901234567890123456789012", "123456789012345678901234567890123456780000"}};
    for (auto [text, expected] : cases) EXPECT_EQ(dec(text).description(), expected) << text;
    EXPECT_EQ(Decimal::notANumber().description(), "NaN");
    EXPECT_EQ(Decimal(-7).description(), "-7");
    EXPECT_EQ(Decimal(25, -1, true).description(), "-2.5");
    EXPECT_DOUBLE_EQ(dec("6.32").doubleValue(), 6.32);
}

TEST(Decimal, HandlerDecidesBetweenRaisingAndNaN) {
    try {
        Decimal(1).dividing(Decimal(0), money);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.name(), "NSDecimalNumberDivideByZeroException");
    }
    EXPECT_THROW(Decimal(1).dividing(Decimal(0)), Exception); // the default handler raises too
    EXPECT_TRUE(Decimal(1).dividing(Decimal(0), quiet).isNaN());
    EXPECT_EQ(dec("9e127").multiplying(Decimal(10), quiet).description(), "9" + std::string(128, '0')); // 90 x 10^127
    EXPECT_TRUE(dec("1e127").multiplying(dec("1e127"), quiet).isNaN());
    EXPECT_THROW(dec("1e127").multiplying(dec("1e127")), Exception);
    EXPECT_TRUE(dec("1e-100").multiplying(dec("1e-100"), quiet).isZero());
    EXPECT_THROW(dec("1e-100").multiplying(dec("1e-100")), Exception);
    DecimalHandler exact(RoundingMode::Down, 2, true, true, true, true);
    EXPECT_THROW(Decimal(1).dividing(Decimal(3), exact), Exception);
    EXPECT_NO_THROW(dec("6.66").multiplying(dec("0.95"), exact)); // rounding to the scale is not inexactness
    EXPECT_TRUE(Decimal::notANumber().adding(Decimal(1)).isNaN());
    EXPECT_EQ(Decimal::notANumber().compare(Decimal(-1000)), ComparisonResult::Ascending);
}

TEST(Decimal, ComparesByValue) {
    EXPECT_EQ(dec("1.50").compare(dec("1.5")), ComparisonResult::Same);
    EXPECT_EQ(dec("-2").compare(dec("-10")), ComparisonResult::Descending);
    EXPECT_EQ(dec("0.001").compare(dec("1e-2")), ComparisonResult::Ascending);
    EXPECT_EQ(dec("1e20").compare(dec("99999999999999999999")), ComparisonResult::Descending);
    EXPECT_EQ(Decimal(0).compare(dec("-0.0")), ComparisonResult::Same);
}
