#pragma once
// NSDecimalNumber: exact decimal arithmetic on a 38-digit mantissa and a power-of-ten exponent
// (-128..127), never through binary floating point. Each operation rounds its result with a handler:
// to 38 significant digits and, when the handler has a scale, to that many decimal places.

#include <cstdint>
#include <string>
#include <string_view>

namespace ns {

enum class ComparisonResult { Ascending = -1, Same = 0, Descending = 1 };

enum class RoundingMode {
    Plain,   // half away from zero
    Down,    // toward negative infinity
    Up,      // toward positive infinity
    Bankers, // half to even
};

// NSDecimalNumberHandler: how results are rounded and which conditions raise an ns::Exception
// (otherwise overflow and division by zero give NaN, underflow gives 0, inexact results stand).
struct DecimalHandler {
    static constexpr int NoScale = 32767;

    RoundingMode roundingMode = RoundingMode::Plain;
    int scale = NoScale; // decimal places kept; negative rounds to tens, hundreds, ...
    bool raiseOnExactness = false;
    bool raiseOnOverflow = true;
    bool raiseOnUnderflow = true;
    bool raiseOnDivideByZero = true;

    DecimalHandler() = default;
    DecimalHandler(RoundingMode mode, int scale, bool raiseOnExactness, bool raiseOnOverflow, bool raiseOnUnderflow,
                   bool raiseOnDivideByZero)
        : roundingMode(mode), scale(scale), raiseOnExactness(raiseOnExactness), raiseOnOverflow(raiseOnOverflow),
          raiseOnUnderflow(raiseOnUnderflow), raiseOnDivideByZero(raiseOnDivideByZero) {}

    // Plain rounding, no scale, raising on everything but inexact results.
    static const DecimalHandler& defaultHandler();
};

class Decimal {
public:
    static constexpr int MaxDigits = 38;
    static constexpr int MinExponent = -128;
    static constexpr int MaxExponent = 127;

    Decimal() = default; // zero
    Decimal(long long value);
    // mantissa × 10^exponent, rounded to 38 digits; NaN when out of range.
    Decimal(unsigned long long mantissa, int exponent, bool negative);

    // Leading white space, optional sign, digits with an optional "." and an optional exponent
    // ("1.5e3"); the text after the number is ignored. NaN when no number starts the text.
    // Digits beyond the 38th are dropped.
    static Decimal fromString(std::string_view text);
    static Decimal notANumber();

    bool isNaN() const { return nan_; }
    bool isNegative() const { return negative_; }
    bool isZero() const { return !nan_ && mantissa_ == 0; }

    // The "%@" text: plain digits, no exponent, no trailing zeros ("6.32", "-5", "0.5", "NaN").
    std::string description() const;
    double doubleValue() const;

    Decimal adding(const Decimal& other, const DecimalHandler& handler = DecimalHandler::defaultHandler()) const;
    Decimal subtracting(const Decimal& other, const DecimalHandler& handler = DecimalHandler::defaultHandler()) const;
    Decimal multiplying(const Decimal& other, const DecimalHandler& handler = DecimalHandler::defaultHandler()) const;
    Decimal dividing(const Decimal& other, const DecimalHandler& handler = DecimalHandler::defaultHandler()) const;
    // The value rounded to the handler's scale with its rounding mode.
    Decimal rounding(const DecimalHandler& handler) const;

    // By value; NaN sorts below every number and equals NaN.
    ComparisonResult compare(const Decimal& other) const;
    bool operator==(const Decimal& other) const { return compare(other) == ComparisonResult::Same; }

private:
    unsigned __int128 mantissa_ = 0; // below 10^38, no trailing zeros
    int exponent_ = 0;
    bool negative_ = false;
    bool nan_ = false;

    friend struct DecimalMath;
};

} // namespace ns
