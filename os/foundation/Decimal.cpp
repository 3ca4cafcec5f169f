#include "os/foundation/Decimal.h"

#include "os/foundation/Error.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ns {

namespace {

using u128 = unsigned __int128;
constexpr uint64_t Ten19 = 10000000000000000000ull;

// An unsigned integer of 512 bits: room for a 38-digit mantissa scaled by 10^76, or a quotient with
// 40 digits to spare. Little-endian 64-bit limbs.
struct Wide {
    static constexpr int Limbs = 8;
    uint64_t limb[Limbs] = {};

    static Wide of(u128 v) {
        Wide w;
        w.limb[0] = static_cast<uint64_t>(v);
        w.limb[1] = static_cast<uint64_t>(v >> 64);
        return w;
    }
    bool isZero() const {
        return std::all_of(limb, limb + Limbs, [](uint64_t x) { return x == 0; });
    }
    bool fits128() const {
        return std::all_of(limb + 2, limb + Limbs, [](uint64_t x) { return x == 0; });
    }
    u128 low128() const { return (static_cast<u128>(limb[1]) << 64) | limb[0]; }

    void mulSmall(uint64_t m) {
        u128 carry = 0;
        for (auto& x : limb) {
            u128 p = static_cast<u128>(x) * m + carry;
            x = static_cast<uint64_t>(p);
            carry = p >> 64;
        }
    }
    void mulPow10(int k) {
        for (; k >= 19; k -= 19) mulSmall(Ten19);
        uint64_t p = 1;
        while (k-- > 0) p *= 10;
        mulSmall(p);
    }
    uint64_t divSmall(uint64_t d) {
        u128 rem = 0;
        for (int i = Limbs - 1; i >= 0; --i) {
            u128 cur = (rem << 64) | limb[i];
            limb[i] = static_cast<uint64_t>(cur / d);
            rem = cur % d;
        }
        return static_cast<uint64_t>(rem);
    }
    void add(const Wide& o) {
        u128 carry = 0;
        for (int i = 0; i < Limbs; ++i) {
            u128 s = static_cast<u128>(limb[i]) + o.limb[i] + carry;
            limb[i] = static_cast<uint64_t>(s);
            carry = s >> 64;
        }
    }
    void sub(const Wide& o) { // requires *this >= o
        uint64_t borrow = 0;
        for (int i = 0; i < Limbs; ++i) {
            uint64_t a = limb[i], b = o.limb[i];
            uint64_t d = a - b - borrow;
            borrow = (a < b) || (a - b < borrow) ? 1 : 0;
            limb[i] = d;
        }
    }
    int compare(const Wide& o) const {
        for (int i = Limbs - 1; i >= 0; --i)
            if (limb[i] != o.limb[i]) return limb[i] < o.limb[i] ? -1 : 1;
        return 0;
    }
    int digits() const {
        Wide w = *this;
        int n = 0;
        while (!w.fits128() || w.low128() >= Ten19) {
            w.divSmall(Ten19);
            n += 19;
        }
        for (u128 v = w.low128(); v; v /= 10) ++n;
        return n;
    }
    static Wide product(u128 a, u128 b) {
        uint64_t x[2] = {static_cast<uint64_t>(a), static_cast<uint64_t>(a >> 64)};
        uint64_t y[2] = {static_cast<uint64_t>(b), static_cast<uint64_t>(b >> 64)};
        Wide w;
        for (int i = 0; i < 2; ++i) {
            u128 carry = 0;
            for (int j = 0; j < 2; ++j) {
                u128 p = static_cast<u128>(x[i]) * y[j] + w.limb[i + j] + carry;
                w.limb[i + j] = static_cast<uint64_t>(p);
                carry = p >> 64;
            }
            w.limb[i + 2] = static_cast<uint64_t>(carry);
        }
        return w;
    }
    // Long division by a divisor below 2^127, bit by bit; answers the remainder.
    u128 divide(u128 d) {
        Wide q;
        u128 r = 0;
        for (int bit = Limbs * 64 - 1; bit >= 0; --bit) {
            r = (r << 1) | ((limb[bit / 64] >> (bit % 64)) & 1);
            if (r >= d) {
                r -= d;
                q.limb[bit / 64] |= uint64_t{1} << (bit % 64);
            }
        }
        *this = q;
        return r;
    }
};

u128 pow10(int k) {
    u128 p = 1;
    while (k-- > 0) p *= 10;
    return p;
}
const u128 MantissaLimit = pow10(Decimal::MaxDigits); // 10^38

int digitsOf(u128 v) {
    int n = 0;
    for (; v; v /= 10) ++n;
    return n;
}

[[noreturn]] void raise(const char* name, const char* reason) { throw Exception(name, reason); }

} // namespace

// The arithmetic behind the public operations, with access to the representation.
struct DecimalMath {
    static Decimal make(u128 mantissa, int exponent, bool negative) {
        Decimal d;
        // Trailing zeros go into the exponent, so equal values have one form.
        while (mantissa && mantissa % 10 == 0 && exponent < Decimal::MaxExponent) mantissa /= 10, ++exponent;
        d.mantissa_ = mantissa;
        d.exponent_ = mantissa ? exponent : 0;
        d.negative_ = mantissa && negative;
        return d;
    }

    // Rounds the exact value (m + a fraction below one unit when `sticky`) × 10^exponent to at most 38
    // digits, to the handler's scale and into the exponent range, then reports what the handler asks.
    static Decimal finish(bool negative, Wide m, long exponent, bool sticky, const DecimalHandler& h) {
        if (m.isZero() && !sticky) return Decimal();
        int digits = m.digits();
        long precisionDrop = std::max<long>(0, digits - Decimal::MaxDigits);
        long floorDrop = Decimal::MinExponent - exponent;
        long scaleDrop = h.scale == DecimalHandler::NoScale ? 0 : -static_cast<long>(h.scale) - exponent;
        long drop = std::max({precisionDrop, floorDrop, scaleDrop, 0L});

        // Drop digits one by one: `last` is the most significant dropped digit, `sticky` whether
        // anything below it was non-zero.
        // An inexact 38-digit result is a loss of precision; rounding to the scale is not.
        int last = 0;
        bool lostPrecision = sticky;
        for (long i = 0; i < drop; ++i) {
            if (m.isZero() && last == 0) {
                exponent += drop - i;
                break;
            }
            sticky = sticky || last != 0;
            last = static_cast<int>(m.divSmall(10));
            ++exponent;
            if (i < precisionDrop && last != 0) lostPrecision = true;
        }
        u128 q = m.low128();
        bool inexact = last != 0 || sticky;
        bool up = false;
        switch (h.roundingMode) {
        case RoundingMode::Plain: up = last >= 5; break;
        case RoundingMode::Bankers: up = last > 5 || (last == 5 && (sticky || (q & 1))); break;
        case RoundingMode::Down: up = negative && inexact; break;
        case RoundingMode::Up: up = !negative && inexact; break;
        }
        if (up && ++q == MantissaLimit) q /= 10, ++exponent;

        if (q == 0) {
            bool underflow = floorDrop > 0 && floorDrop >= scaleDrop && inexact;
            if (underflow && h.raiseOnUnderflow) raise("NSDecimalNumberUnderflowException", "NSDecimalNumber underflow exception");
            return Decimal();
        }
        while (exponent > Decimal::MaxExponent && q * 10 < MantissaLimit) q *= 10, --exponent;
        if (exponent > Decimal::MaxExponent) {
            if (h.raiseOnOverflow) raise("NSDecimalNumberOverflowException", "NSDecimalNumber overflow exception");
            return Decimal::notANumber();
        }
        if (lostPrecision && h.raiseOnExactness) raise("NSDecimalNumberExactnessException", "NSDecimalNumber exactness exception");
        return make(q, static_cast<int>(exponent), negative);
    }

    static Decimal add(const Decimal& x, const Decimal& y, bool negateY, const DecimalHandler& h) {
        if (x.nan_ || y.nan_) return Decimal::notANumber();
        bool yNeg = y.negative_ != negateY;
        // A zero takes no part in aligning (its exponent means nothing).
        if (y.mantissa_ == 0) return finish(x.negative_, Wide::of(x.mantissa_), x.exponent_, false, h);
        if (x.mantissa_ == 0) return finish(yNeg, Wide::of(y.mantissa_), y.exponent_, false, h);
        const Decimal* a = &x;
        const Decimal* b = &y;
        bool aNeg = x.negative_, bNeg = yNeg;
        if (a->exponent_ < b->exponent_) std::swap(a, b), std::swap(aNeg, bNeg);
        // Align on the smaller exponent; beyond 76 places the smaller operand only rounds.
        long d = static_cast<long>(a->exponent_) - b->exponent_;
        int up = static_cast<int>(std::min<long>(d, 76));
        Wide A = Wide::of(a->mantissa_);
        A.mulPow10(up);
        Wide B = Wide::of(b->mantissa_);
        bool sticky = false;
        for (long i = up; i < d && !B.isZero(); ++i) sticky = B.divSmall(10) != 0 || sticky;
        long exponent = a->exponent_ - up;
        if (aNeg == bNeg) {
            A.add(B);
            return finish(aNeg, A, exponent, sticky, h);
        }
        int c = A.compare(B);
        if (c == 0 && !sticky) return Decimal();
        if (c > 0) {
            A.sub(B);
            if (sticky) A.sub(Wide::of(1)); // A - (B + fraction) = (A - B - 1) + (1 - fraction)
            return finish(aNeg, A, exponent, sticky, h);
        }
        B.sub(A);
        return finish(bNeg, B, exponent, false, h);
    }

    static Decimal multiply(const Decimal& x, const Decimal& y, const DecimalHandler& h) {
        if (x.nan_ || y.nan_) return Decimal::notANumber();
        Wide m = Wide::product(x.mantissa_, y.mantissa_);
        return finish(x.negative_ != y.negative_, m, static_cast<long>(x.exponent_) + y.exponent_, false, h);
    }

    static Decimal divide(const Decimal& x, const Decimal& y, const DecimalHandler& h) {
        if (x.nan_ || y.nan_) return Decimal::notANumber();
        if (y.mantissa_ == 0) {
            if (h.raiseOnDivideByZero) raise("NSDecimalNumberDivideByZeroException", "NSDecimalNumber divide by zero exception");
            return Decimal::notANumber();
        }
        if (x.mantissa_ == 0) return Decimal();
        // Scale the dividend so the quotient has at least 40 digits; the remainder only rounds.
        int k = 78 - digitsOf(x.mantissa_);
        Wide m = Wide::of(x.mantissa_);
        m.mulPow10(k);
        bool sticky = m.divide(y.mantissa_) != 0;
        return finish(x.negative_ != y.negative_, m, static_cast<long>(x.exponent_) - y.exponent_ - k, sticky, h);
    }
};

const DecimalHandler& DecimalHandler::defaultHandler() {
    static const DecimalHandler handler;
    return handler;
}

Decimal::Decimal(long long value) {
    u128 magnitude = value < 0 ? static_cast<u128>(-(value + 1)) + 1 : static_cast<u128>(value);
    *this = DecimalMath::make(magnitude, 0, value < 0);
}

Decimal::Decimal(unsigned long long mantissa, int exponent, bool negative) {
    static const DecimalHandler quiet(RoundingMode::Plain, DecimalHandler::NoScale, false, false, false, false);
    *this = DecimalMath::finish(negative, Wide::of(mantissa), exponent, false, quiet);
}

Decimal Decimal::notANumber() {
    Decimal d;
    d.nan_ = true;
    return d;
}

Decimal Decimal::fromString(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || (t[i] >= '\t' && t[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    u128 mantissa = 0;
    int kept = 0;
    long exponent = 0;
    bool anyDigit = false, point = false;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        anyDigit = true;
        if (mantissa == 0 && c == '0') {
            if (point) --exponent; // leading zeros of a fraction only move the point
            continue;
        }
        if (kept < MaxDigits) {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            ++kept;
            if (point) --exponent;
        } else if (!point) {
            ++exponent; // digits past the 38th are dropped; in the integer part they still count places
        }
    }
    if (!anyDigit) return notANumber();
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        bool expNegative = false;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) expNegative = t[j++] == '-';
        long e = 0;
        bool expDigits = false;
        for (; j < t.size() && t[j] >= '0' && t[j] <= '9'; ++j) {
            expDigits = true;
            e = std::min<long>(e * 10 + (t[j] - '0'), 100000);
        }
        if (expDigits) exponent += expNegative ? -e : e;
    }
    static const DecimalHandler quiet(RoundingMode::Plain, DecimalHandler::NoScale, false, false, false, false);
    return DecimalMath::finish(negative, Wide::of(mantissa), exponent, false, quiet);
}

std::string Decimal::description() const {
    if (nan_) return "NaN";
    if (mantissa_ == 0) return "0";
    std::string digits;
    for (u128 v = mantissa_; v; v /= 10) digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    std::string out = negative_ ? "-" : "";
    if (exponent_ >= 0) return out + digits + std::string(static_cast<size_t>(exponent_), '0');
    size_t fraction = static_cast<size_t>(-exponent_);
    if (digits.size() > fraction) return out + digits.substr(0, digits.size() - fraction) + "." + digits.substr(digits.size() - fraction);
    return out + "0." + std::string(fraction - digits.size(), '0') + digits;
}

double Decimal::doubleValue() const {
    if (nan_) return std::nan("");
    std::string text = description();
    double d = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), d);
    if (res.ec == std::errc::result_out_of_range) return negative_ ? -HUGE_VAL : HUGE_VAL;
    return d;
}

Decimal Decimal::adding(const Decimal& other, const DecimalHandler& handler) const {
    return DecimalMath::add(*this, other, false, handler);
}
Decimal Decimal::subtracting(const Decimal& other, const DecimalHandler& handler) const {
    return DecimalMath::add(*this, other, true, handler);
}
Decimal Decimal::multiplying(const Decimal& other, const DecimalHandler& handler) const {
    return DecimalMath::multiply(*this, other, handler);
}
Decimal Decimal::dividing(const Decimal& other, const DecimalHandler& handler) const {
    return DecimalMath::divide(*this, other, handler);
}
Decimal Decimal::rounding(const DecimalHandler& handler) const {
    if (nan_) return *this;
    return DecimalMath::finish(negative_, Wide::of(mantissa_), exponent_, false, handler);
}

ComparisonResult Decimal::compare(const Decimal& o) const {
    if (nan_ || o.nan_) {
        if (nan_ && o.nan_) return ComparisonResult::Same;
        return nan_ ? ComparisonResult::Ascending : ComparisonResult::Descending;
    }
    // Signs first (zero is never negative), then magnitudes; the answer flips for negatives.
    int sa = mantissa_ == 0 ? 0 : negative_ ? -1 : 1;
    int sb = o.mantissa_ == 0 ? 0 : o.negative_ ? -1 : 1;
    if (sa != sb) return sa < sb ? ComparisonResult::Ascending : ComparisonResult::Descending;
    if (sa == 0) return ComparisonResult::Same;
    int magnitude;
    long leadA = digitsOf(mantissa_) + static_cast<long>(exponent_);
    long leadB = digitsOf(o.mantissa_) + static_cast<long>(o.exponent_);
    if (leadA != leadB) {
        magnitude = leadA < leadB ? -1 : 1;
    } else {
        // Same leading place, so the exponents differ by less than 38: align exactly.
        Wide a = Wide::of(mantissa_), b = Wide::of(o.mantissa_);
        if (exponent_ > o.exponent_) a.mulPow10(exponent_ - o.exponent_);
        else b.mulPow10(o.exponent_ - exponent_);
        magnitude = a.compare(b);
    }
    if (sa < 0) magnitude = -magnitude;
    return magnitude < 0 ? ComparisonResult::Ascending : magnitude > 0 ? ComparisonResult::Descending : ComparisonResult::Same;
}

} // namespace ns
