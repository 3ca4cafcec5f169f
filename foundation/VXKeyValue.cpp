#include "foundation/VXKeyValue.h"

namespace VXKeyValue {

ns::Value numberValue(const ns::Value& value) {
    if (value.isNumber()) return value;
    auto text = value.stringPtr();
    if (!text) return {};
    // Whole numbers stay exact integers; anything with a fraction or exponent becomes a double.
    long long integer = ns::numtext::integerValue(*text);
    double real = ns::numtext::doubleValue(*text);
    if (real == static_cast<double>(integer)) return ns::Value(integer);
    return ns::Value(real);
}

} // namespace VXKeyValue
