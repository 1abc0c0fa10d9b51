// Fuzz target for the keystroke notation of the access key: the parser and the texts the
// settings derive from the same notation.
#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "platform/KeyNotation.h"
#include "settings/SettingsModule.h"

namespace {

bool IsKeyCharacter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// "ctrl+", "alt+" and "shift+" at most once each in that order, then one lower-case letter
// or digit.
bool IsKeySequence(QStringView sequence) {
    for (const QStringView modifier : {u"ctrl+", u"alt+", u"shift+"}) {
        if (sequence.startsWith(modifier)) {
            sequence = sequence.sliced(modifier.size());
        }
    }
    return sequence.size() == 1 && IsKeyCharacter(sequence[0]) && !sequence[0].isUpper();
}

} // namespace

void FuzzKeyNotation(QByteArrayView input) {
    const QString notation = QString::fromUtf8(input);
    QString error;
    const std::optional<QStringList> keys = ParseKeyNotation(notation, &error);
    if (!keys) {
        FUZZ_CHECK(!error.isEmpty());
    } else {
        FUZZ_CHECK(error.isEmpty());
        FUZZ_CHECK(notation.size() <= kMaxKeyNotationLength);
        FUZZ_CHECK(IsKeyCharacter(notation.back()));
        qsizetype keyCount = 0;
        for (const QChar c : notation) {
            keyCount += IsKeyCharacter(c) ? 1 : 0;
        }
        FUZZ_CHECK(keys->size() == keyCount);
        for (const QString& sequence : *keys) {
            FUZZ_CHECK(IsKeySequence(sequence));
        }
    }

    // The settings show the same notation as text such as "<Alt>+P".
    SettingsModule settings;
    settings.AccessKeyNotation = notation;
    UpdateSourceAppInfo(settings);
    FUZZ_CHECK(settings.AccessKeyModifier >= 0 && settings.AccessKeyModifier <= 2);
    FUZZ_CHECK(settings.AccessKeyText.endsWith(LettersOnly(notation).toUpper()));
}
