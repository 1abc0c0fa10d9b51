// Conversions of measurement arithmetic to whole numbers: to the nearest value, ties to the
// even one, and never wrapped. A value that does not fit, or is not a number, either comes
// back as "no value" or, where a caller needs a number in any case, is clamped to the range.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace rounding_detail {

template <typename Int> std::optional<Int> RoundChecked(double v) {
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    // Half to even in the default rounding mode, which the program never changes.
    const double whole = std::nearbyint(v);
    // Both limits are exact in a double, and `whole` has no fraction, so these comparisons
    // decide the range exactly.
    if (whole < double(std::numeric_limits<Int>::min()) ||
        whole > double(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return Int(whole);
}

template <typename Int> Int RoundClamped(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    const double whole = std::nearbyint(v);
    if (whole <= double(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (whole >= double(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return Int(whole);
}

} // namespace rounding_detail

// `v` rounded half to even into 16 bits; no value when it is not finite or the rounded value
// lies outside -32768..32767.
inline std::optional<int16_t> Round16(double v) {
    return rounding_detail::RoundChecked<int16_t>(v);
}

// `v` rounded half to even into 32 bits; no value when it is not finite or the rounded value
// lies outside the 32-bit range.
inline std::optional<int32_t> Round32(double v) {
    return rounding_detail::RoundChecked<int32_t>(v);
}

// `v` rounded half to even into 32 bits, beyond the range clamped to its nearest end (an
// infinity included); 0 when `v` is not a number. For end points of lines, where a point far
// beyond the picture only needs to stay on the correct side of it.
inline int32_t Round32Clamped(double v) {
    return rounding_detail::RoundClamped<int32_t>(v);
}
