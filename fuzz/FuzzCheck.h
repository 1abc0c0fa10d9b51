// The checks inside the fuzz targets. A failed check is a finding: under libFuzzer it aborts,
// so that the input is kept as a crash; in the regression tests it becomes a test failure.
#pragma once

// Reports a failed check; defined once per program (the fuzzer's main, the test support).
[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line);

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void(0) : FuzzCheckFailed(#condition, __FILE__, __LINE__))
