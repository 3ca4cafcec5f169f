#pragma once
// Float-to-integer conversion without undefined behaviour: values beyond the int32 range saturate
// to its ends and NaN gives 0 (what the phone's own conversion instruction does).

#include <cmath>
#include <cstdint>
#include <limits>

namespace ns {

inline int32_t saturatingInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value); // toward zero
}

} // namespace ns
