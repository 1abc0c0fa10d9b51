// The most memory one decoded image may take. Larger (or hostile) images are refused
// instead of exhausting memory.
#pragma once

inline constexpr int kImageAllocationLimitMb = 1024;
