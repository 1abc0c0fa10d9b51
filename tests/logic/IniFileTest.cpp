// The profile functions: how entries are found, how a write changes exactly one entry and
// nothing else, and that a write either replaces the file whole or leaves it as it was.
#include "settings/IniFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qsizetype ValueBytes = 49;
constexpr QByteArrayView Absent("<absent>");

mode_t ModeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

ino_t InodeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// Everything in `folder`, hidden files included: a write must leave no temporary file behind.
QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("lq.ini");

    QByteArray read(QByteArrayView section, QByteArrayView key) const {
        return IniFile::ReadEntry(path, section, key, Absent, ValueBytes);
    }
};

// Runs `body` in a child process and returns its exit status, or -1 when the child did not
// exit normally. With `asUnprivilegedUser`, a child started by root first becomes "nobody", so
// that file permission bits apply to it as they do to an ordinary user.
int RunInChild(const std::function<int()>& body, bool asUnprivilegedUser) {
    const pid_t child = fork();
    if (child == 0) {
        if (asUnprivilegedUser && geteuid() == 0) {
            constexpr uid_t nobody = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) {
                _exit(100);
            }
        }
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// -------------------------------------------------------------------------------------------
// Reading

TEST_F(IniFileTest, FindsEntriesByTheFileRules) {
    const struct {
        const char* name;
        QByteArray content;
        const char* section;
        const char* key;
        QByteArrayView expected;
    } cases[] = {
        {"key case ignored", "[options]\nMAGRATE=3\n", "options", "MagRate", "3"},
        {"section case ignored", "[OPTIONS]\nmagrate=3\n", "Options", "magrate", "3"},
        {"blanks around names", "  [ options ]\t\n \tMagRate  =3\n", "options", "MagRate", "3"},
        {"blanks around the value", "[o]\nk=  a b \t\n", "o", "k", "a b"},
        {"blanks around the asked names", "[o]\nk=1\n", " o ", "\tk ", "1"},
        {"comment lines", "[o]\n;k=1\n  ; k=2\nk=3\n", "o", "k", "3"},
        {"line without =", "[o]\nk\nk=4\n", "o", "k", "4"},
        {"first key wins across spellings", "[o]\nMagRate=3\nmagrate=1\n", "o", "magrate", "3"},
        {"key is a whole name", "[o]\nkey=1\nk2=2\n", "o", "k", Absent},
        {"key in another section", "[x]\nk=1\n[o]\na=2\n", "o", "k", Absent},
        {"a later section of the same name is not searched", "[o]\na=1\n[O]\nk=2\n", "o", "k",
         Absent},
        {"section after others", "[x]\nk=1\n[o]\nk=2\n", "o", "k", "2"},
        {"entry before any section", "k=1\n[o]\n", "o", "k", Absent},
        {"empty file", "", "o", "k", Absent},
        {"CR LF lines", "[o]\r\nk=5\r\n", "o", "k", "5"},
        {"byte order mark", "\xEF\xBB\xBF[o]\nk=6\n", "o", "k", "6"},
        {"empty value", "[o]\nk=\n", "o", "k", ""},
        {"value holding =", "[o]\nk=a=b\n", "o", "k", "a=b"},
        {"NUL ends the value", QByteArray("[o]\nk=ab\0cd\n", 12), "o", "k", "ab"},
        {"text after the header", "[o] ; note\nk=7\n", "o", "k", "7"},
        {"header without ]", "[o\nk=8\n", "o", "k", "8"},
        {"last line without line end", "[o]\nk=9", "o", "k", "9"},
        {"only ASCII letters fold", "[o]\n\xC3\x84=1\n", "o", "\xC3\xA4", Absent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(path, c.content));
        EXPECT_EQ(read(c.section, c.key), c.expected);
    }
}

TEST(IniFileValueText, CutsAtMostMaxBytesWithoutSplittingACharacter) {
    const QByteArray x(60, 'x');
    const QByteArray e = "\xC3\xA9";             // é, two bytes
    const QByteArray euro = "\xE2\x82\xAC";      // €, three bytes
    const QByteArray smile = "\xF0\x9F\x98\x80"; // four bytes
    const struct {
        const char* name;
        QByteArray raw;
        QByteArray expected;
    } cases[] = {
        {"short value", "abc", "abc"},
        {"exactly 49 bytes", x.first(49), x.first(49)},
        {"ASCII cut", x, x.first(49)},
        {"two-byte character across the cut", x.first(48) + e + "z", x.first(48)},
        {"two-byte character ending at the cut", x.first(47) + e + "z", x.first(47) + e},
        {"three-byte character across the cut", x.first(47) + euro, x.first(47)},
        {"four-byte character across the cut", x.first(46) + smile, x.first(46)},
        {"four-byte character ending at the cut", x.first(45) + smile + "y", x.first(45) + smile},
        {"blanks are dropped before the cut", "   " + x, x.first(49)},
        {"bytes that are not UTF-8 are cut where they are", QByteArray(60, '\x80'),
         QByteArray(49, '\x80')},
        {"NUL ends the value first", QByteArray("ab\0", 3) + x, "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IniFile::ValueText(c.raw, ValueBytes), c.expected);
    }
    EXPECT_EQ(IniFile::ValueText("abc", 0), "");
}

TEST_F(IniFileTest, ReadTakesAtMost49BytesOfALongValue) {
    const QByteArray value = QByteArray(47, 'a') + "\xE3\x83\x87" + "z"; // デ crosses the cut
    ASSERT_TRUE(WriteBytes(path, "[o]\nk=" + value + "\n"));
    EXPECT_EQ(read("o", "k"), QByteArray(47, 'a'));
    EXPECT_EQ(IniFile::ReadEntry(path, "o", "missing", "lq.ini", 3), "lq.");
}

TEST_F(IniFileTest, AnythingButAReadableRegularFileReadsAsAbsent) {
    const QByteArray entry = "[o]\nk=1\n";
    const struct {
        const char* name;
        std::function<bool()> make;
    } cases[] = {
        {"no file", [] { return true; }},
        {"directory", [&] { return QDir(dir.path()).mkdir("lq.ini"); }},
        {"FIFO", [&] { return mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }},
        {"binary junk",
         [&] {
             QByteArray junk;
             for (int i = 0; i < 4096; ++i) {
                 junk.append(char((i * 7919) % 251));
             }
             return WriteBytes(path, junk);
         }},
        {"file too long to be settings",
         [&] { return WriteBytes(path, entry + QByteArray(IniFile::MaxFileBytes, ';')); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        QDir(dir.path()).rmdir("lq.ini");
        ASSERT_TRUE(c.make());
        // In a child with a time limit: a read that waits for a FIFO's writer would hang.
        const int result = RunInChild(
            [&] {
                alarm(10);
                return read("o", "k") == Absent ? 0 : 1;
            },
            false);
        EXPECT_EQ(result, 0) << "1: read a value, -1: did not finish";
    }
}

// -------------------------------------------------------------------------------------------
// Writing

TEST_F(IniFileTest, WriteChangesOnlyTheOneValue) {
    // Everything a hand-edited file can hold: a byte order mark, CR LF line ends, comments,
    // blank lines, odd spacing, lines without "=", unknown entries, other sections.
    const QByteArray before = "\xEF\xBB\xBF; Linealis settings\r\n"
                              "\r\n"
                              "[Source App]\r\n"
                              "app = /usr/bin/grabber  \r\n"
                              "key=%p\r\n"
                              "   \r\n"
                              "[ options ]\t\r\n"
                              "  MagRate =3  \r\n"
                              "odd line without equals\r\n"
                              "Unknown=keep me\r\n"
                              "\t; magrate=8\r\n"
                              "\r\n"
                              "datapath=/home/u/data\r\n"
                              "[extra]\r\n"
                              "magrate=9\r\n";
    QByteArray expected = before;
    expected.replace("  MagRate =3  \r\n", "  MagRate = 2\r\n");
    ASSERT_TRUE(WriteBytes(path, before));

    ASSERT_TRUE(IniFile::WriteEntry(path, "options", "magrate", " 2"));
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(read("OPTIONS", "MagRate"), "2");
}

TEST_F(IniFileTest, WritePlacesNewKeysAndSections) {
    const struct {
        const char* name;
        QByteArray before;
        const char* section;
        const char* key;
        const char* value;
        QByteArray after;
    } cases[] = {
        {"new key after the section's last non-blank line", "[o]\na=1\n\n\n[p]\nb=2\n", "o", "k",
         "v", "[o]\na=1\nk=v\n\n\n[p]\nb=2\n"},
        {"a trailing comment counts as non-blank", "[o]\na=1\n; note\n\n[p]\n", "o", "k", "v",
         "[o]\na=1\n; note\nk=v\n\n[p]\n"},
        {"section with only its header", "[o]\n[p]\n", "o", "k", "v", "[o]\nk=v\n[p]\n"},
        {"section ending the file without a line end", "[o]\na=1", "o", "k", "v",
         "[o]\na=1\nk=v\n"},
        {"new key in a CR LF file", "[o]\r\na=1\r\n", "o", "k", "v", "[o]\r\na=1\r\nk=v\r\n"},
        {"new section at the end", "[p]\nb=2\n", "o", "k", "v", "[p]\nb=2\n[o]\nk=v\n"},
        {"new section after trailing blank lines", "[p]\nb=2\n\n", "o", "k", "v",
         "[p]\nb=2\n\n[o]\nk=v\n"},
        {"new section in a CR LF file without a final line end", "[p]\r\nb=2", "o", "k", "v",
         "[p]\r\nb=2\r\n[o]\r\nk=v\r\n"},
        {"empty file", "", " o ", " k ", "v", "[o]\nk=v\n"},
        {"file holding only a byte order mark", "\xEF\xBB\xBF", "o", "k", "v",
         "\xEF\xBB\xBF[o]\nk=v\n"},
        {"only the first matching key changes", "[o]\nK=1\nk=2\n", "o", "k", "v",
         "[o]\nK=v\nk=2\n"},
        {"only the first matching section is used", "[o]\na=1\n[O]\nk=2\n", "o", "k", "v",
         "[o]\na=1\nk=v\n[O]\nk=2\n"},
        {"same key in another section untouched", "[p]\nk=1\n[o]\n", "o", "k", "v",
         "[p]\nk=1\n[o]\nk=v\n"},
        {"a line keeps its own line end", "[o]\nk=1\r\na=2\n", "o", "k", "v", "[o]\nk=v\r\na=2\n"},
        {"last line without line end", "[o]\nk=1", "o", "k", "v", "[o]\nk=v"},
        {"value written exactly, blanks included", "[o]\nk=1\n", "o", "k", " 2", "[o]\nk= 2\n"},
        {"empty value", "[o]\nk=1\n", "o", "k", "", "[o]\nk=\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(path, c.before));
        ASSERT_TRUE(IniFile::WriteEntry(path, c.section, c.key, c.value));
        EXPECT_EQ(ReadBytes(path), c.after);
        EXPECT_EQ(read(c.section, c.key), IniFile::ValueText(c.value, ValueBytes));
    }
}

TEST(IniFileWrite, CreatesMissingFoldersAndFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("config/linealis/lq.ini");
    ASSERT_TRUE(IniFile::WriteEntry(path, "options", "magrate", " 2"));
    EXPECT_EQ(ReadBytes(path), "[options]\nmagrate= 2\n");
    for (const char* folder : {"config", "config/linealis"}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(ModeOf(dir.filePath(folder)), 0700u) << "new folders are private to the user";
    }
    ASSERT_TRUE(IniFile::WriteEntry(path, "options", "sloped", " 1"));
    EXPECT_EQ(ReadBytes(path), "[options]\nmagrate= 2\nsloped= 1\n");
}

TEST_F(IniFileTest, RefusesWhatCouldNotBeReadBackAsWritten) {
    const QByteArray before = "[o]\nk=1\n";
    const struct {
        const char* name;
        QByteArray section;
        QByteArray key;
        QByteArray value;
    } cases[] = {
        {"LF in the value", "o", "k", "a\nb=c"},
        {"CR in the value", "o", "k", "a\rb"},
        {"NUL in the value", "o", "k", QByteArray("a\0b", 3)},
        {"empty key", "o", "", "v"},
        {"blank key", "o", "  ", "v"},
        {"= in the key", "o", "a=b", "v"},
        {"key read as a comment", "o", ";k", "v"},
        {"key read as a header", "o", "[k", "v"},
        {"LF in the key", "o", "k\nx", "v"},
        {"] in the section", "o]", "k", "v"},
        {"LF in the section", "o\n[p", "k", "v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(path, before));
        EXPECT_FALSE(IniFile::WriteEntry(path, c.section, c.key, c.value));
        EXPECT_EQ(ReadBytes(path), before);

        const QString fresh = dir.filePath("fresh.ini");
        EXPECT_FALSE(IniFile::WriteEntry(fresh, c.section, c.key, c.value));
        EXPECT_FALSE(QFileInfo::exists(fresh));
    }
}

// -------------------------------------------------------------------------------------------
// Replacing the file

TEST_F(IniFileTest, ReplacesTheFileKeepingPermissionsAndNoTemporaryFile) {
    ASSERT_TRUE(WriteBytes(path, "[o]\nk=1\n"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);
    const ino_t oldInode = InodeOf(path);

    ASSERT_TRUE(IniFile::WriteEntry(path, "o", "k", "2"));
    EXPECT_EQ(ReadBytes(path), "[o]\nk=2\n");
    EXPECT_NE(InodeOf(path), oldInode) << "a new file renamed into place";
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"lq.ini"});
}

TEST(IniFileWrite, FollowsASymbolicLinkAndKeepsIt) {
    // Users who keep their settings in a managed folder link lq.ini there.
    QTemporaryDir dir;
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath("dotfiles") && root.mkpath("config"));
    const QString target = dir.filePath("dotfiles/lq.ini");
    const QString link = dir.filePath("config/lq.ini");
    ASSERT_TRUE(WriteBytes(target, "[o]\nk=1\n"));
    ASSERT_EQ(symlink("../dotfiles/lq.ini", QFile::encodeName(link).constData()), 0);

    ASSERT_TRUE(IniFile::WriteEntry(link, "o", "k", "2"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(target), "[o]\nk=2\n");
    EXPECT_EQ(IniFile::ReadEntry(link, "o", "k", Absent, ValueBytes), "2");
    EXPECT_EQ(FolderEntries(dir.filePath("dotfiles")), QStringList{"lq.ini"});
    EXPECT_EQ(FolderEntries(dir.filePath("config")), QStringList{"lq.ini"});
}

TEST_F(IniFileTest, NeverReplacesWhatIsNotAReadableRegularFile) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("lq.ini"));
    EXPECT_FALSE(IniFile::WriteEntry(path, "o", "k", "v"));
    EXPECT_TRUE(QFileInfo(path).isDir());
    ASSERT_TRUE(QDir(dir.path()).rmdir("lq.ini"));

    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const int fifoResult = RunInChild(
        [&] {
            alarm(10);
            return IniFile::WriteEntry(path, "o", "k", "v") ? 1 : 0;
        },
        false);
    EXPECT_EQ(fifoResult, 0) << "1: written, -1: did not finish";
    EXPECT_FALSE(QFileInfo(path).isFile());
    ASSERT_TRUE(QFile::remove(path));

    const QByteArray tooLong = "[o]\nk=1\n" + QByteArray(IniFile::MaxFileBytes, ';');
    ASSERT_TRUE(WriteBytes(path, tooLong));
    EXPECT_FALSE(IniFile::WriteEntry(path, "o", "k", "v"));
    EXPECT_EQ(ReadBytes(path), tooLong);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"lq.ini"});
}

TEST_F(IniFileTest, UnreadableFileIsNeitherReadNorReplaced) {
    const QByteArray before = "[o]\nk=1\nother=keep\n";
    const QString control = dir.filePath("control.ini");
    ASSERT_TRUE(WriteBytes(path, before));
    // Writable but not readable, and the folder is open to everyone: nothing but the failed
    // read stands in the way of replacing the file.
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0222), 0);
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);

    enum : int { ControlWritten = 1, Written = 2, ReadAsAbsent = 4 };
    const int result = RunInChild(
        [&] {
            int flags = 0;
            flags |= IniFile::WriteEntry(control, "o", "k", "v") ? ControlWritten : 0;
            flags |= IniFile::WriteEntry(path, "o", "k", "v") ? Written : 0;
            flags |=
                IniFile::ReadEntry(path, "o", "k", Absent, ValueBytes) == Absent ? ReadAsAbsent : 0;
            return flags;
        },
        true);
    if (result == 100) {
        GTEST_SKIP() << "cannot become an unprivileged user";
    }
    ASSERT_NE(result & ControlWritten, 0) << "the child must be able to write in the folder";
    EXPECT_EQ(result & Written, 0);
    EXPECT_NE(result & ReadAsAbsent, 0);

    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(FolderEntries(dir.path()), (QStringList{"control.ini", "lq.ini"}));
}

TEST_F(IniFileTest, ReadOnlyFolderFailsRatherThanOverwriteInPlace) {
    // The file itself is writable: only an in-place overwrite could succeed here, and that
    // could leave a torn file behind.
    const QByteArray before = "[o]\nk=1\n";
    ASSERT_TRUE(WriteBytes(path, before));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);

    enum : int { ReadBack = 1, Written = 2 };
    const int result = RunInChild(
        [&] {
            int flags = 0;
            flags |= IniFile::ReadEntry(path, "o", "k", Absent, ValueBytes) == "1" ? ReadBack : 0;
            flags |= IniFile::WriteEntry(path, "o", "k", "2") ? Written : 0;
            return flags;
        },
        true);
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);
    if (result == 100) {
        GTEST_SKIP() << "cannot become an unprivileged user";
    }
    ASSERT_NE(result & ReadBack, 0) << "the child must be able to read the file";
    EXPECT_EQ(result & Written, 0);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"lq.ini"});
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileWhole) {
    // A file size limit makes the write of the new text fail part-way, as a full disk would.
    const QByteArray before = "[o]\nk=1\nother=keep\n";
    ASSERT_TRUE(WriteBytes(path, before));
    const QByteArray longValue(40, 'v');

    const int result = RunInChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = rlim_t(before.size()) + 8;
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                return 100;
            }
            return IniFile::WriteEntry(path, "o", "k", longValue) ? 1 : 0;
        },
        false);
    if (result == 100) {
        GTEST_SKIP() << "cannot limit the file size";
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"lq.ini"});

    // Without the limit the same write goes through.
    ASSERT_TRUE(IniFile::WriteEntry(path, "o", "k", longValue));
    EXPECT_EQ(read("o", "k"), longValue);
}

} // namespace
