// The fuzz targets' checks over their seed corpora and over every input that once failed
// (tests/fuzz-regressions/<target>/), so that what a fuzzer found stays fixed.
#include "support/FuzzInputs.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(FuzzRegressions, EverySeedAndKeptInputPassesItsTargetsChecks) {
    const struct {
        const char* target;
        void (*function)(QByteArrayView);
    } targets[] = {
        {"ini_file", FuzzIniFile},
        {"key_notation", FuzzKeyNotation},
        {"comment_rules", FuzzCommentRules},
    };
    for (const auto& t : targets) {
        const QStringList inputs = FuzzInputs(t.target);
        // The seed corpus is part of the source tree: an empty list means a wrong path.
        EXPECT_FALSE(inputs.isEmpty()) << t.target;
        for (const QString& path : inputs) {
            RunFuzzTarget(t.function, ReadBytes(path), path);
        }
    }
}

} // namespace
