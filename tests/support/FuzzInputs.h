// Runs the fuzz targets' checks inside the test suite: over the seed corpora, over every input
// that once failed, and over the hostile files kept in tests/hostile/.
#pragma once

#include "FuzzTargets.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>

namespace testing_support {

// A failed check of a fuzz target (FuzzCheckFailed throws it in the tests).
class FuzzCheckFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder `relative` of the source tree.
inline QString SourcePath(const QString& relative) {
    return QStringLiteral(LINEALIS_SOURCE_DIR "/") + relative;
}

// The files of `folder` sorted by name; none when the folder does not exist.
inline QStringList InputFiles(const QString& folder) {
    QStringList paths;
    const auto entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& info : entries) {
        paths.append(info.filePath());
    }
    return paths;
}

// The inputs that a fuzz target's checks run on in the tests: its seed corpus and the inputs
// kept after they made it fail.
inline QStringList FuzzInputs(const QString& target) {
    return InputFiles(SourcePath("fuzz/corpus/" + target)) +
           InputFiles(SourcePath("tests/fuzz-regressions/" + target));
}

// Runs `target` on `bytes`; a failed check becomes a test failure naming `what`.
inline void RunFuzzTarget(void (*target)(QByteArrayView), const QByteArray& bytes,
                          const QString& what) {
    try {
        target(bytes);
    } catch (const FuzzCheckFailure& failure) {
        ADD_FAILURE() << what.toStdString() << ": " << failure.what();
    }
}

} // namespace testing_support
