// The most memory one decoded image may take. Larger (or hostile) images are refused
// instead of exhausting memory.
#pragma once

inline constexpr int kImageAllocationLimitMb = 1024;

// The longest side of an image that can be shown. At 200 % the picture becomes a widget, and
// a widget is at most 16777215 pixels long; longer sides come only from lying headers.
inline constexpr int kImageSideLimit = 8388607;
