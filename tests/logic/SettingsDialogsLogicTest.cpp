// What the settings dialogs work out without a window: the setup handed to the source
// application dialog, the file system that holds a folder, and where the help pages are.
#include "settings/HelpBook.h"
#include "settings/SettingsModule.h"
#include "settings/SourceAppSetup.h"
#include "settings/Volumes.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct PrepareCase {
    const char* name;
    int16_t startupDone;
    int16_t modifier;
    const char* path;
    const char* notation;
    int16_t noWait;
    int16_t delay;
    SourceAppDialogSetup expected;
};

TEST(PrepareSourceAppDialog, TakesEveryControlFromTheSettings) {
    const PrepareCase cases[] = {
        {"at start-up, Alt, not waiting",
         0,
         2,
         "/opt/grab/grab",
         "%pr",
         1,
         500,
         {2, true, "/opt/grab/grab", "PR", "500", true}},
        // After start-up the program can no longer be chosen; only lower-case letters of the
        // notation are letters of the key.
        {"after start-up, Ctrl, waiting",
         1,
         1,
         "/opt/grab/grab",
         "^Ab1c",
         0,
         0,
         {1, false, "/opt/grab/grab", "BC", "0", false}},
        // Absent entries read as "lq.ini".
        {"absent entries",
         0,
         0,
         "lq.ini",
         "lq.ini",
         0,
         9999,
         {0, true, "lq.ini", "LQINI", "9999", false}},
    };
    for (const PrepareCase& c : cases) {
        SettingsModule s;
        s.StartupDone = c.startupDone;
        s.AccessKeyModifier = c.modifier;
        s.SourceAppPath = QString::fromUtf8(c.path);
        s.AccessKeyNotation = QString::fromUtf8(c.notation);
        s.NoWait = c.noWait;
        s.NoWaitDelay = c.delay;
        s.AccessKeyLetters = QStringLiteral("ZZ");
        EXPECT_EQ(PrepareSourceAppDialog(s), c.expected) << c.name;
        // The key box and the shared letters start out the same.
        EXPECT_EQ(s.AccessKeyLetters, c.expected.KeyLetters) << c.name;
    }
    // A source application that is not running (never started, or closed) can be chosen
    // again after start-up.
    SettingsModule s;
    s.StartupDone = 1;
    EXPECT_FALSE(PrepareSourceAppDialog(s, true).BrowseEnabled);
    EXPECT_TRUE(PrepareSourceAppDialog(s, false).BrowseEnabled);
}

TEST(Volumes, AFolderBelongsToTheDeepestMountPointAboveIt) {
    const QList<Volume> volumes = {{"/", "/"},
                                   {"/home", "/home"},
                                   {"/media/stick", "/media/stick [STICK]"},
                                   {"/media/stick2", "/media/stick2"}};
    const struct {
        const char* path;
        qsizetype index;
    } cases[] = {
        {"/", 0},
        {"/usr/share", 0},
        {"/home/user/data", 1},
        {"/media/stick", 2},
        {"/media/stick/", 2},
        {"/media/stick2/x", 3},
        {"/media/sticks", 0}, // a name that only begins like a mount point
        {"/media/stick/../stick2", 3},
        {"lq.ini", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VolumeIndexOf(volumes, QString::fromUtf8(c.path)), c.index) << c.path;
    }
    EXPECT_EQ(VolumeIndexOf({}, QStringLiteral("/home")), -1);
}

TEST(Volumes, OnlyAMountPointThatAnswersIsReady) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteBytes(dir.filePath("file"), "x"));
    EXPECT_TRUE(VolumeIsReady(QStringLiteral("/")));
    EXPECT_FALSE(VolumeIsReady(dir.path()));           // a folder, but no mount point
    EXPECT_FALSE(VolumeIsReady(dir.filePath("file"))); // not a folder
    EXPECT_FALSE(VolumeIsReady(dir.filePath("gone"))); // unmounted, or never there
    EXPECT_FALSE(VolumeIsReady(QString()));

    const QList<Volume> mounted = MountedVolumes();
    ASSERT_FALSE(mounted.isEmpty());
    EXPECT_EQ(mounted.first().RootPath, QStringLiteral("/"));
}

TEST(HelpBook, LooksInTheInstalledFolderThenBesideTheProgram) {
    EXPECT_EQ(HelpBook::Folders(QStringLiteral("/opt/linealis/bin")),
              QStringList({"/opt/linealis/share/linealis/help", "/opt/linealis/bin/help"}));
}

TEST(HelpBook, TheFirstFolderWithAContentsPageServesEveryPage) {
    QTemporaryDir installed;
    QTemporaryDir built;
    QTemporaryDir empty;
    ASSERT_TRUE(WriteBytes(built.filePath("index.html"), "<p>built</p>"));
    ASSERT_TRUE(WriteBytes(built.filePath("topic-6.html"), "<p>six</p>"));
    // A folder holding topic pages but no contents page is not the help.
    ASSERT_TRUE(WriteBytes(installed.filePath("topic-6.html"), "<p>stray</p>"));

    const QStringList folders = {QString(), empty.path(), installed.path(), built.path()};
    EXPECT_EQ(HelpBook::FindFolder(folders), built.path());
    EXPECT_EQ(HelpBook::PagePath(folders, 6), built.filePath("topic-6.html"));
    EXPECT_EQ(HelpBook::PagePath(folders, 12), built.filePath("index.html")); // no page of its own
    EXPECT_EQ(HelpBook::PagePath(folders, std::nullopt), built.filePath("index.html"));

    ASSERT_TRUE(WriteBytes(installed.filePath("index.html"), "<p>installed</p>"));
    EXPECT_EQ(HelpBook::PagePath(folders, 6), installed.filePath("topic-6.html"));

    EXPECT_EQ(HelpBook::FindFolder({empty.path()}), std::nullopt);
    EXPECT_EQ(HelpBook::PagePath({empty.path()}, 6), std::nullopt);
    EXPECT_EQ(HelpBook::PagePath({}, std::nullopt), std::nullopt);
}

} // namespace
