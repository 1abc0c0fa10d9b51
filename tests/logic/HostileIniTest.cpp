// Settings files that a hand edit, a crash or another program could leave (tests/hostile/ini/):
// the program starts from each with sound settings, and saving an option into each changes
// that one entry only.
#include "platform/KeyNotation.h"
#include "settings/SettingsModule.h"
#include "support/FuzzInputs.h"
#include "support/TempXdg.h"

#include <QFile>
#include <gtest/gtest.h>
#include <map>

namespace {

using namespace testing_support;

struct Expected {
    int16_t MagStep = 2;
    int16_t LineWidth = 1;
    int16_t DataFormat = 0;
    int16_t CursorShape = 0;
    QString AccessKeyNotation = QStringLiteral("lq.ini");
};

// What the files whose outcome follows from the file rules must give; the others need only
// give settings in range.
const std::map<QString, Expected>& KnownOutcomes() {
    static const std::map<QString, Expected> outcomes = {
        {"nul-bytes.ini", {.MagStep = 3, .AccessKeyNotation = "%"}},
        {"very-long-line.ini", {.MagStep = 3, .LineWidth = 2}},
        {"very-long-name.ini", {.MagStep = 3}},
        {"cr-only-line-ends.ini", {}},
        {"duplicate-sections.ini", {.MagStep = 3}},
        {"duplicate-keys.ini", {.LineWidth = 3}},
        {"utf16-with-bom.ini", {}},
        {"utf8-bom-crlf.ini", {.MagStep = 4, .CursorShape = 1}},
        {"numbers-out-of-range.ini", {.CursorShape = 1}},
        {"numbers-of-400-digits.ini", {}},
        {"not-numbers.ini", {}},
        {"headers-without-brackets.ini", {.MagStep = 4, .AccessKeyNotation = "%p"}},
        {"lines-without-names.ini", {}},
        {"many-sections.ini", {.MagStep = 3}},
        {"blank-run.ini", {.MagStep = 3}},
        {"empty.ini", {}},
    };
    return outcomes;
}

TEST(HostileSettingsFiles, StartWithSoundSettingsAndTakeASavedOption) {
    const QStringList files = InputFiles(SourcePath("tests/hostile/ini"));
    ASSERT_GE(files.size(), 15);
    for (const QString& path : files) {
        const QString name = QFileInfo(path).fileName();
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = ReadBytes(path);
        TempXdg xdg;
        SettingsModule s;
        s.IniPath = DefaultIniPath();
        ASSERT_TRUE(WriteBytes(s.IniPath, bytes));
        LoadSettings(s);

        EXPECT_TRUE(s.MagStep >= 1 && s.MagStep <= 4) << s.MagStep;
        EXPECT_TRUE(s.LineWidth >= 1 && s.LineWidth <= 4) << s.LineWidth;
        EXPECT_TRUE(s.DataFormat >= 0 && s.DataFormat <= 4) << s.DataFormat;
        EXPECT_TRUE(s.CursorShape >= 0 && s.CursorShape <= 2) << s.CursorShape;
        EXPECT_TRUE(s.SourceAppEnabled == 0 || s.SourceAppEnabled == 1);
        EXPECT_TRUE(s.NoWait == 0 || s.NoWait == 1);
        EXPECT_TRUE(s.NoWaitDelay >= 0 && s.NoWaitDelay <= 9999) << s.NoWaitDelay;
        for (const QString* text : {&s.SourceAppPath, &s.AccessKeyNotation, &s.DefaultDataPath}) {
            EXPECT_LE(text->toUtf8().size(), 49 * 3); // 49 bytes, each at worst a U+FFFD
            EXPECT_FALSE(text->contains(QChar(0)));
        }
        if (const auto known = KnownOutcomes().find(name); known != KnownOutcomes().end()) {
            const Expected& e = known->second;
            EXPECT_EQ(s.MagStep, e.MagStep);
            EXPECT_EQ(s.LineWidth, e.LineWidth);
            EXPECT_EQ(s.DataFormat, e.DataFormat);
            EXPECT_EQ(s.CursorShape, e.CursorShape);
            EXPECT_EQ(s.AccessKeyNotation, e.AccessKeyNotation);
        }
        // What the program derives from the settings copes with any of them.
        UpdateSourceAppInfo(s);
        ParseKeyNotation(s.AccessKeyNotation);

        // Saving an option: it reads back, and no other entry or byte changes (the fuzz
        // target's checks, on this file's text).
        RunFuzzTarget(FuzzIniFile, "options\nMagRate\n 3\nsource app\nkey\n" + bytes, name);
        EXPECT_TRUE(WriteIniString(s.IniPath, "options", "MagRate", " 3"));
        LoadSettings(s);
        EXPECT_EQ(s.MagStep, 3);
    }
}

} // namespace
