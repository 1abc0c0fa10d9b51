// The fuzz targets' failed checks, in the tests: an exception the test turns into a failure,
// so that one bad input does not stop the others from being tried.
#include "FuzzCheck.h"
#include "support/FuzzInputs.h"

#include <string>

void FuzzCheckFailed(const char* condition, const char* file, int line) {
    throw testing_support::FuzzCheckFailure(std::string(file) + ":" + std::to_string(line) +
                                            ": check failed: " + condition);
}
