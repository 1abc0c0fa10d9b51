// The settings store: where lq.ini lives, how its values read as text and numbers, what the
// dialogs' saves leave in the file, and the sound settings the program starts with whatever
// the file holds. Also the derived source application texts.
#include "settings/SettingsModule.h"
#include "support/Files.h"

#include "support/TempXdg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Sets or unsets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<QByteArray> value)
        : name_(name)
        , old_(qgetenv(name))
        , had_(qEnvironmentVariableIsSet(name)) {
        if (value) {
            qputenv(name, *value);
        } else {
            qunsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

// The settings as LoadSettings leaves them when the file gives nothing usable.
void ExpectStartingValues(const SettingsModule& s) {
    EXPECT_EQ(s.DataFormat, 0);
    EXPECT_EQ(s.MagStep, 2);
    EXPECT_EQ(s.LineWidth, 1);
    EXPECT_EQ(s.CursorShape, 0);
    EXPECT_EQ(s.SourceAppEnabled, 0);
    EXPECT_EQ(s.NoWait, 0);
    EXPECT_EQ(s.NoWaitDelay, 0);
    EXPECT_EQ(s.SourceAppPath, "lq.ini");
    EXPECT_EQ(s.AccessKeyNotation, "lq.ini");
    EXPECT_EQ(s.DefaultDataPath, "lq.ini");
}

// A module whose settings all differ from what any load gives, so that each must be set.
SettingsModule Scribbled(const QString& iniPath) {
    SettingsModule s;
    s.IniPath = iniPath;
    s.DataFormat = s.MagStep = s.LineWidth = s.CursorShape = 77;
    s.SourceAppEnabled = s.NoWait = s.NoWaitDelay = 77;
    s.SourceAppPath = s.AccessKeyNotation = s.DefaultDataPath = QStringLiteral("old");
    return s;
}

// -------------------------------------------------------------------------------------------
// Where the file lives

TEST(DefaultIniPath, FollowsXdgConfigHome) {
    const struct {
        const char* name;
        std::optional<QByteArray> configHome;
        QString expected;
    } cases[] = {
        {"absolute folder", QByteArray("/cfg"), "/cfg/linealis/lq.ini"},
        {"trailing slash", QByteArray("/cfg/"), "/cfg/linealis/lq.ini"},
        {"unset", std::nullopt, "/home/tester/.config/linealis/lq.ini"},
        {"empty is ignored", QByteArray(""), "/home/tester/.config/linealis/lq.ini"},
        {"relative is ignored", QByteArray("cfg"), "/home/tester/.config/linealis/lq.ini"},
    };
    const ScopedEnv home("HOME", QByteArray("/home/tester"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedEnv config("XDG_CONFIG_HOME", c.configHome);
        EXPECT_EQ(DefaultIniPath(), c.expected);
    }
}

// -------------------------------------------------------------------------------------------
// Reading values

TEST(ReadIni, ValuesReadAsNumbers) {
    const struct {
        const char* value;
        int expected;
    } cases[] = {
        {"2", 2},
        {"  2", 2},
        {"2abc", 2},
        {"2.4", 2},
        {"2.5", 2},
        {"3.5", 4},
        {"-1", -1},
        {"abc", 0},
        {"", 0},
        {" 2", 2},
        {"\t7", 7},
        {"+3", 3},
        {"1.5", 2},
        {"0.5", 0},
        {"-2.5", -2},
        {"-3.5", -4},
        {".5", 0},
        {".6", 1},
        {"5.", 5},
        {"-.7", -1},
        {"007", 7},
        {"1e3", 1},
        {"1,5", 1},
        {"0x1F", 0},
        {"- 3", 0},
        {"-", 0},
        {".", 0},
        {"lq.ini", 0},
        {"\xEF\xBC\x92", 0}, // a full-width 2 is no digit
        {"32767", 32767},
        {"-32768", -32768},
        {"32767.4", 32767},
        {"-32768.5", -32768},
        // Beyond the 16-bit range: 0, never wrapped (65538 would wrap to 2).
        {"32767.5", 0},
        {"32768", 0},
        {"-32769", 0},
        {"65538", 0},
        {"99999999999999999999999999999", 0},
    };
    TempXdg xdg;
    const QString ini = DefaultIniPath();
    QByteArray file = "[t]\n";
    for (size_t i = 0; i < std::size(cases); ++i) {
        file += "v" + QByteArray::number(qulonglong(i)) + "=" + cases[i].value + "\n";
    }
    ASSERT_TRUE(WriteBytes(ini, file));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].value);
        EXPECT_EQ(ReadIniInteger(ini, "t", "v" + QString::number(i)), cases[i].expected);
    }
}

TEST(ReadIni, AbsentEntriesReadAsTheFileNameAndZero) {
    TempXdg xdg;
    const QString ini = DefaultIniPath();
    EXPECT_EQ(ReadIniString(ini, "options", "datapath"), "lq.ini") << "no file";
    EXPECT_EQ(ReadIniInteger(ini, "options", "MagRate"), 0) << "no file";

    ASSERT_TRUE(WriteBytes(ini, "[options]\nMAGRATE=3\ndatapath=\n"));
    EXPECT_EQ(ReadIniInteger(ini, "options", "MagRate"), 3);
    EXPECT_EQ(ReadIniString(ini, "options", "datapath"), "") << "present but empty";
    EXPECT_EQ(ReadIniString(ini, "options", "app"), "lq.ini") << "no key";
    EXPECT_EQ(ReadIniInteger(ini, "options", "PenWidth"), 0) << "no key";
    EXPECT_EQ(ReadIniString(ini, "source app", "app"), "lq.ini") << "no section";
    EXPECT_EQ(ReadIniInteger(ini, "source app", "notwait"), 0) << "no section";
}

TEST(ReadIni, TextIsTrimmedAndCutAt49Bytes) {
    const QByteArray a46(46, 'a');
    const struct {
        const char* name;
        QByteArray value;
        QString expected;
    } cases[] = {
        {"blanks around", "  /home/u/data \t", "/home/u/data"},
        {"blanks inside kept", "/home/u/my data", "/home/u/my data"},
        {"long ASCII", QByteArray(60, 'a'), QString(49, u'a')},
        {"multi-byte character across byte 49", // デ ends at byte 49, ー would end at 52
         a46 + "\xE3\x83\x87\xE3\x83\xBC", QString::fromLatin1(a46) + QStringLiteral("デ")},
        {"blanks exposed by the cut", "a" + QByteArray(48, ' ') + "bc", "a"},
    };
    TempXdg xdg;
    const QString ini = DefaultIniPath();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(ini, "[options]\ndatapath=" + c.value + "\n"));
        EXPECT_EQ(ReadIniString(ini, "options", "datapath"), c.expected);
    }
}

// -------------------------------------------------------------------------------------------
// Writing values

TEST(IniNumberText, BlankForZeroAndPositiveMinusForNegative) {
    const struct {
        int value;
        const char* text;
    } cases[] = {{2, " 2"}, {0, " 0"}, {-1, "-1"}, {9999, " 9999"}, {-32768, "-32768"}};
    TempXdg xdg;
    const QString ini = DefaultIniPath();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(IniNumberText(c.value), c.text);
        ASSERT_TRUE(WriteIniString(ini, "options", "n", IniNumberText(c.value)));
        EXPECT_EQ(ReadIniInteger(ini, "options", "n"), c.value);
    }
}

TEST(WriteIni, OptionsSaveLeavesDataPathAndSourceAppAlone) {
    TempXdg xdg;
    SettingsModule s;
    s.IniPath = DefaultIniPath();
    const QByteArray before = "; Linealis\n"
                              "[source app]\n"
                              "app=/usr/bin/flameshot\n"
                              "key=%p\n"
                              "notwait=1\n"
                              "notwaitms=250\n"
                              "\n"
                              "[options]\n"
                              "MagRate=3\n"
                              "delimiter=1\n"
                              "datapath=/home/u/data\n"
                              "Sloped=2\n"
                              "Custom=unknown entry\n";
    ASSERT_TRUE(WriteBytes(s.IniPath, before));

    // The options dialog's save, entry by entry in its order.
    const QString options = QStringLiteral("options");
    ASSERT_TRUE(WriteIniString(s.IniPath, options, "sloped", IniNumberText(1)));
    ASSERT_TRUE(WriteIniString(s.IniPath, options, "magrate", IniNumberText(2)));
    ASSERT_TRUE(WriteIniString(s.IniPath, options, "penwidth", IniNumberText(3)));
    ASSERT_TRUE(WriteIniString(s.IniPath, options, "usesourceapp", IniNumberText(0)));
    ASSERT_TRUE(WriteIniString(s.IniPath, options, "delimiter", IniNumberText(4)));

    EXPECT_EQ(ReadBytes(s.IniPath), "; Linealis\n"
                                    "[source app]\n"
                                    "app=/usr/bin/flameshot\n"
                                    "key=%p\n"
                                    "notwait=1\n"
                                    "notwaitms=250\n"
                                    "\n"
                                    "[options]\n"
                                    "MagRate= 2\n"
                                    "delimiter= 4\n"
                                    "datapath=/home/u/data\n"
                                    "Sloped= 1\n"
                                    "Custom=unknown entry\n"
                                    "penwidth= 3\n"
                                    "usesourceapp= 0\n");

    LoadSettings(s);
    EXPECT_EQ(s.CursorShape, 1);
    EXPECT_EQ(s.MagStep, 2);
    EXPECT_EQ(s.LineWidth, 3);
    EXPECT_EQ(s.SourceAppEnabled, 0);
    EXPECT_EQ(s.DataFormat, 4);
    EXPECT_EQ(s.DefaultDataPath, "/home/u/data");
    EXPECT_EQ(s.SourceAppPath, "/usr/bin/flameshot");
}

TEST(WriteIni, FirstSaveCreatesTheFile) {
    TempXdg xdg;
    const QString ini = DefaultIniPath();
    EXPECT_EQ(ini, xdg.iniPath());
    ASSERT_TRUE(WriteIniString(ini, "options", "magrate", IniNumberText(2)));
    ASSERT_TRUE(WriteIniString(ini, "options", "datapath", "/home/u/データ"));
    ASSERT_TRUE(WriteIniString(ini, "source app", "key", "%p"));
    EXPECT_EQ(ReadBytes(ini), "[options]\n"
                              "magrate= 2\n"
                              "datapath=/home/u/\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\n"
                              "[source app]\n"
                              "key=%p\n");
    EXPECT_EQ(ReadIniString(ini, "OPTIONS", "DataPath"), "/home/u/データ");
}

// -------------------------------------------------------------------------------------------
// Loading

TEST(LoadSettings, EachSettingComesFromItsOwnEntry) {
    TempXdg xdg;
    SettingsModule s = Scribbled(DefaultIniPath());
    s.AccessKeyModifier = 2;
    s.VersionText = "ver";
    // Decoys: the same keys in the other section, and a second spelling after the first.
    ASSERT_TRUE(WriteBytes(s.IniPath, "[options]\n"
                                      "app=/decoy\n"
                                      "notwaitms=1\n"
                                      "delimiter=4\n"
                                      "MagRate=3\n"
                                      "magrate=1\n"
                                      "PenWidth=2\n"
                                      "Sloped=1\n"
                                      "UseSourceApp=1\n"
                                      "datapath= /home/u/measure \n"
                                      "[source app]\n"
                                      "delimiter=2\n"
                                      "app=/opt/grab/bin/grabber\n"
                                      "key=^pr\n"
                                      "notwait=1\n"
                                      "notwaitms=350\n"));
    LoadSettings(s);
    EXPECT_EQ(s.SourceAppPath, "/opt/grab/bin/grabber");
    EXPECT_EQ(s.AccessKeyNotation, "^pr");
    EXPECT_EQ(s.NoWait, 1);
    EXPECT_EQ(s.NoWaitDelay, 350);
    EXPECT_EQ(s.DataFormat, 4);
    EXPECT_EQ(s.MagStep, 3);
    EXPECT_EQ(s.LineWidth, 2);
    EXPECT_EQ(s.CursorShape, 1);
    EXPECT_EQ(s.SourceAppEnabled, 1);
    EXPECT_EQ(s.DefaultDataPath, "/home/u/measure");
    // Deriving the display texts is a separate step.
    EXPECT_EQ(s.AccessKeyModifier, 2);
    EXPECT_EQ(s.AccessKeyText, "");
    EXPECT_EQ(s.VersionText, "ver");
}

TEST(LoadSettings, UnusableFileGivesTheStartingValues) {
    const struct {
        const char* name;
        std::function<bool(const QString&)> make;
    } cases[] = {
        {"no file", [](const QString&) { return true; }},
        {"empty file", [](const QString& ini) { return WriteBytes(ini, ""); }},
        {"binary junk",
         [](const QString& ini) {
             QByteArray junk;
             for (int i = 0; i < 2048; ++i) {
                 junk.append(char((i * 131 + 7) % 256));
             }
             return WriteBytes(ini, junk);
         }},
        {"directory in place of the file", [](const QString& ini) { return QDir().mkpath(ini); }},
        {"sections without the entries",
         [](const QString& ini) { return WriteBytes(ini, "[options]\n[source app]\nx=1\n"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempXdg xdg;
        SettingsModule s = Scribbled(DefaultIniPath());
        ASSERT_TRUE(c.make(s.IniPath));
        LoadSettings(s);
        ExpectStartingValues(s);
    }
}

TEST(LoadSettings, OutOfRangeValuesAreMended) {
    TempXdg xdg;
    SettingsModule s = Scribbled(DefaultIniPath());
    ASSERT_TRUE(WriteBytes(s.IniPath, "[options]\n"
                                      "delimiter=5\n"
                                      "MagRate=0\n"
                                      "PenWidth=-3\n"
                                      "Sloped=2.5\n" // rounds to 2: kept
                                      "UseSourceApp=2\n"
                                      "datapath=/data\n"
                                      "[source app]\n"
                                      "app=C:\\tools\\grab.exe\n"
                                      "key=\n"
                                      "notwait=-1\n"
                                      "notwaitms=40000\n")); // beyond 16 bits: reads 0
    LoadSettings(s);
    EXPECT_EQ(s.DataFormat, 0);
    EXPECT_EQ(s.MagStep, 2);
    EXPECT_EQ(s.LineWidth, 1);
    EXPECT_EQ(s.CursorShape, 2);
    EXPECT_EQ(s.SourceAppEnabled, 0);
    EXPECT_EQ(s.NoWait, 0);
    EXPECT_EQ(s.NoWaitDelay, 0);
    EXPECT_EQ(s.DefaultDataPath, "/data");
    EXPECT_EQ(s.SourceAppPath, "C:\\tools\\grab.exe");
    EXPECT_EQ(s.AccessKeyNotation, "");
}

TEST(MendSettings, KeepsValidValuesAndReplacesOthers) {
    using Field = int16_t SettingsModule::*;
    const struct {
        const char* name;
        Field field;
        int16_t value;
        int16_t expected;
    } cases[] = {
        {"DataFormat", &SettingsModule::DataFormat, -1, 0},
        {"DataFormat", &SettingsModule::DataFormat, 0, 0},
        {"DataFormat", &SettingsModule::DataFormat, 4, 4},
        {"DataFormat", &SettingsModule::DataFormat, 5, 0},
        {"MagStep", &SettingsModule::MagStep, 0, 2},
        {"MagStep", &SettingsModule::MagStep, 1, 1},
        {"MagStep", &SettingsModule::MagStep, 4, 4},
        {"MagStep", &SettingsModule::MagStep, 5, 2},
        {"LineWidth", &SettingsModule::LineWidth, 0, 1},
        {"LineWidth", &SettingsModule::LineWidth, 1, 1},
        {"LineWidth", &SettingsModule::LineWidth, 4, 4},
        {"LineWidth", &SettingsModule::LineWidth, 5, 1},
        {"CursorShape", &SettingsModule::CursorShape, -1, 0},
        {"CursorShape", &SettingsModule::CursorShape, 2, 2},
        {"CursorShape", &SettingsModule::CursorShape, 3, 0},
        {"SourceAppEnabled", &SettingsModule::SourceAppEnabled, -1, 0},
        {"SourceAppEnabled", &SettingsModule::SourceAppEnabled, 1, 1},
        {"SourceAppEnabled", &SettingsModule::SourceAppEnabled, 2, 0},
        {"NoWait", &SettingsModule::NoWait, -1, 0},
        {"NoWait", &SettingsModule::NoWait, 1, 1},
        {"NoWait", &SettingsModule::NoWait, 2, 0},
        {"NoWaitDelay", &SettingsModule::NoWaitDelay, -32768, 0},
        {"NoWaitDelay", &SettingsModule::NoWaitDelay, -1, 0},
        {"NoWaitDelay", &SettingsModule::NoWaitDelay, 0, 0},
        {"NoWaitDelay", &SettingsModule::NoWaitDelay, 9999, 9999},
        {"NoWaitDelay", &SettingsModule::NoWaitDelay, 10000, 9999},
        {"NoWaitDelay", &SettingsModule::NoWaitDelay, 32767, 9999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " " << c.value);
        SettingsModule s;
        s.MagStep = 3;
        s.LineWidth = 3;
        s.SourceAppPath = s.AccessKeyNotation = s.DefaultDataPath = QStringLiteral("lq.ini");
        s.*c.field = c.value;
        MendSettings(s);
        EXPECT_EQ(s.*c.field, c.expected);
        EXPECT_EQ(s.SourceAppPath, "lq.ini");
        EXPECT_EQ(s.AccessKeyNotation, "lq.ini");
        EXPECT_EQ(s.DefaultDataPath, "lq.ini");
    }
}

// -------------------------------------------------------------------------------------------
// Source application texts

TEST(UpdateSourceAppInfo, DerivesNameKeyTextAndModifier) {
    const struct {
        const char* path;
        const char* notation;
        int16_t modifierBefore;
        const char* name;
        const char* text;
        int16_t modifier;
    } cases[] = {
        {"/usr/bin/flameshot", "%p", 0, "flameshot", "<Alt>+P", 2},
        {"C:\\Program Files\\Grab\\grab.exe", "^pr", 0, "grab.exe", "<Ctrl>+PR", 1},
        {"/opt/Tools/Snap Shot", "+s", 2, "Snap Shot", "<Shift>+S", 0},
        {"/grab", "%p", 0, "grab", "<Alt>+P", 2},
        {"\\grab.exe", "%p", 0, "grab.exe", "<Alt>+P", 2},
        {"C:\\tools/grab", "%p", 0, "grab", "<Alt>+P", 2},
        {"/home/u/a\\b", "%p", 0, "b", "<Alt>+P", 2},
        {"/usr/bin/", "%p", 0, "", "<Alt>+P", 2},
        // What an absent settings file gives: no separator, no modifier.
        {"lq.ini", "lq.ini", 1, "lq.ini", "LQINI", 1},
        {"", "", 2, "", "", 2},
        {"grab", "pr", 1, "grab", "PR", 1},
        // Every modifier goes in front of what was built so far; the last one decides.
        {"g", "x^y", 0, "g", "<Ctrl>+XY", 1},
        {"g", "+%ab", 0, "g", "<Alt>+<Shift>+AB", 2},
        {"g", "%P1-", 0, "g", "<Alt>+", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << " " << c.notation);
        SettingsModule s;
        s.SourceAppPath = QString::fromUtf8(c.path);
        s.AccessKeyNotation = QString::fromUtf8(c.notation);
        s.AccessKeyModifier = c.modifierBefore;
        s.AccessKeyText = QStringLiteral("stale");
        s.AccessKeyLetters = QStringLiteral("ZZ");
        UpdateSourceAppInfo(s);
        EXPECT_EQ(s.SourceAppName, QString::fromUtf8(c.name));
        EXPECT_EQ(s.AccessKeyText, QString::fromUtf8(c.text));
        EXPECT_EQ(s.AccessKeyModifier, c.modifier);
        EXPECT_EQ(s.AccessKeyLetters, "ZZ");
    }
}

TEST(LettersOnly, KeepsLowerCaseAsciiLettersInOrder) {
    const struct {
        const char* text;
        const char* letters;
    } cases[] = {
        {"%p", "p"},
        {"^pr", "pr"},
        {"+Ab1c", "bc"},
        {"", ""},
        {"lq.ini", "lqini"},
        {"PR", ""},
        {"\xC3\xA4z\xC3\x9F", "z"}, // äzß
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LettersOnly(QString::fromUtf8(c.text)), QString::fromUtf8(c.letters));
    }
}

} // namespace
