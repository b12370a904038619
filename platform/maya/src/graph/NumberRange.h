#pragma once
// Whole numbers held as doubles, checked against the integer type that reads them.
#include <cmath>
#include <limits>
#include <type_traits>

namespace mayahost {

// True when the whole part of `value` is a value of Int (false for NaN and infinities).
template <typename Int>
bool fitsIn(double value) {
    const double whole = std::trunc(value);
    return whole >= double(std::numeric_limits<Int>::lowest()) &&
           whole <= double(std::numeric_limits<Int>::max());
}

// The whole part of `value` as an Int, the nearest end of Int's range beyond it, 0 for NaN; as a
// bool, whether `value` is neither 0 nor NaN.
template <typename Int>
Int toNearest(double value) {
    if (std::isnan(value)) return 0;
    if constexpr (std::is_same_v<Int, bool>) return value != 0;
    if (fitsIn<Int>(value)) return static_cast<Int>(value);
    return value < 0 ? std::numeric_limits<Int>::lowest() : std::numeric_limits<Int>::max();
}

}  // namespace mayahost
