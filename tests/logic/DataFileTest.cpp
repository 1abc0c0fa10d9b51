// The data file on disk: creation, appending, the private backup and taking a row back,
// and what each of them leaves behind when the disk or the file lets it down.
#include "records/DataFile.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

class DataFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        data = dir.filePath("run 1.txt"); // a blank in the name, as users give them
        backups = dir.filePath("state/linealis");
    }

    // A data file with a header and one row, and a fresh backup of it.
    void prepareWithOneRow() {
        ASSERT_TRUE(CreateDataFile(data, "Disttance\tdX\tdY\tcomment"));
        ASSERT_TRUE(AppendLine(data, "125\t100\t75\tA1"));
        ASSERT_TRUE(RefreshBackup(data, backup()));
    }

    QString backup() const { return BackupPathFor(data, backups); }

    QTemporaryDir dir;
    QString data;
    QString backups;
};

const QByteArray kHeader = "Disttance\tdX\tdY\tcomment\r\n";
const QByteArray kRow1 = "125\t100\t75\tA1\r\n";

TEST_F(DataFileOnDisk, LinesAreUtf8WithCrLfAndNoByteOrderMark) {
    ASSERT_TRUE(CreateDataFile(data, "Disttance\tdX\tdY\tcomment"));
    ASSERT_TRUE(AppendLine(data, QString::fromUtf8("10\t6\t8\t試料1")));
    EXPECT_EQ(ReadBytes(data), kHeader + QString::fromUtf8("10\t6\t8\t試料1").toUtf8() + "\r\n");
}

TEST_F(DataFileOnDisk, CreatingReplacesAnExistingFileWhole) {
    ASSERT_TRUE(WriteBytes(data, "an old file of many many lines\r\nand more\r\n"));
    ASSERT_TRUE(CreateDataFile(data, "Disttance,dX,dY,comment"));
    EXPECT_EQ(ReadBytes(data), "Disttance,dX,dY,comment\r\n");
}

TEST_F(DataFileOnDisk, CreatingWhereNoFileCanBeMadeFails) {
    EXPECT_FALSE(CreateDataFile(dir.filePath("no such folder/data.txt"), "h"));
    QDir(dir.path()).mkdir("a folder.txt");
    QString error;
    EXPECT_FALSE(CreateDataFile(dir.filePath("a folder.txt"), "h", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("a folder.txt")).isDir());
}

TEST_F(DataFileOnDisk, BackupsLiveInAPrivateFolderOnePerDataFile) {
    prepareWithOneRow();
    EXPECT_EQ(QFileInfo(backups).permissions() & 0x0777 &
                  ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                    QFile::WriteUser | QFile::ExeUser),
              0);
    EXPECT_EQ(ReadBytes(backup()), kHeader + kRow1);
    EXPECT_TRUE(backup().startsWith(backups + "/"));
    // The same file however it is named; another file, another backup.
    EXPECT_EQ(BackupPathFor(dir.filePath("./run 1.txt"), backups), backup());
    EXPECT_NE(BackupPathFor(dir.filePath("run 2.txt"), backups), backup());
    EXPECT_NE(BackupPathFor(dir.filePath("sub/run 1.txt"), backups), backup());
}

TEST_F(DataFileOnDisk, RestoringTheBackupTakesTheLastRowBack) {
    prepareWithOneRow();
    ASSERT_TRUE(AppendLine(data, "5\t3\t4\tA2"));
    ASSERT_TRUE(RestoreBackup(backup(), data));
    EXPECT_EQ(ReadBytes(data), kHeader + kRow1);
}

TEST_F(DataFileOnDisk, RestoringKeepsTheDataFilesPermissions) {
    prepareWithOneRow();
    ASSERT_TRUE(AppendLine(data, "5\t3\t4\tA2"));
    const auto shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                        QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(data, shared));
    ASSERT_TRUE(RestoreBackup(backup(), data));
    EXPECT_EQ(QFileInfo(data).permissions(), shared);
}

// Two programs saving to two data files: each one's undo puts back its own file.
TEST_F(DataFileOnDisk, TwoWritersOnTwoDataFilesUndoIndependently) {
    const QString other = dir.filePath("run 2.txt");
    const QString otherBackup = BackupPathFor(other, backups);
    ASSERT_TRUE(CreateDataFile(data, "Disttance dX dY comment"));
    ASSERT_TRUE(CreateDataFile(other, "Disttance,dX,dY,comment"));
    // Saves interleaved as two running programs make them.
    for (const auto& [file, backupFile, row] :
         {std::tuple(data, backup(), QString("1 1 0 a")),
          std::tuple(other, otherBackup, QString("2,2,0,b")),
          std::tuple(data, backup(), QString("3 3 0 c")),
          std::tuple(other, otherBackup, QString("4,4,0,d"))}) {
        ASSERT_TRUE(RefreshBackup(file, backupFile));
        ASSERT_TRUE(AppendLine(file, row));
    }
    ASSERT_TRUE(RestoreBackup(backup(), data));
    EXPECT_EQ(ReadBytes(data), "Disttance dX dY comment\r\n1 1 0 a\r\n");
    EXPECT_EQ(ReadBytes(other), "Disttance,dX,dY,comment\r\n2,2,0,b\r\n4,4,0,d\r\n");
    ASSERT_TRUE(RestoreBackup(otherBackup, other));
    EXPECT_EQ(ReadBytes(other), "Disttance,dX,dY,comment\r\n2,2,0,b\r\n");
    EXPECT_EQ(ReadBytes(data), "Disttance dX dY comment\r\n1 1 0 a\r\n");
}

// An append that cannot happen leaves the data file as it was, and never makes a new one.
TEST_F(DataFileOnDisk, FailedAppendsLeaveTheFileAsItWas) {
    const struct {
        const char* what;
        void (*spoil)(const QString& path);
    } cases[] = {
        {"deleted", [](const QString& path) { QFile::remove(path); }},
        {"made read-only",
         [](const QString& path) { QFile::setPermissions(path, QFile::ReadOwner); }},
        {"now a folder",
         [](const QString& path) {
             QFile::remove(path);
             QDir().mkdir(path);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dir.path()).rmdir("run 1.txt");
        QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(data);
        ASSERT_TRUE(CreateDataFile(data, "Disttance\tdX\tdY\tcomment"));
        c.spoil(data);
        const bool existed = QFileInfo(data).isFile();
        const QByteArray before = ReadBytes(data);
        QString error;
        EXPECT_FALSE(AppendLine(data, "125\t100\t75\tA1", &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(QFileInfo(data).isFile(), existed);
        EXPECT_EQ(ReadBytes(data), before);
    }
}

// A disk that fills up in the middle of a row: the part that went in is taken out again.
TEST_F(DataFileOnDisk, AnAppendCutShortByAFullDiskLeavesNoPartOfTheRow) {
    ASSERT_TRUE(CreateDataFile(data, "Disttance\tdX\tdY\tcomment"));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(kHeader.size() + 4); // room for four bytes of the row only
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool appended = AppendLine(data, "125\t100\t75\tA1");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(appended);
    EXPECT_EQ(ReadBytes(data), kHeader);
}

TEST_F(DataFileOnDisk, BackupOfAMissingDataFileFailsAndKeepsTheOldBackup) {
    prepareWithOneRow();
    QFile::remove(data);
    EXPECT_FALSE(RefreshBackup(data, backup()));
    EXPECT_EQ(ReadBytes(backup()), kHeader + kRow1);
}

TEST_F(DataFileOnDisk, FailedRestoresLeaveTheDataFileAsItWas) {
    prepareWithOneRow();
    ASSERT_TRUE(AppendLine(data, "5\t3\t4\tA2"));
    const QByteArray current = ReadBytes(data);
    // No backup at all (another machine's state folder, or deleted by hand).
    QString error;
    EXPECT_FALSE(
        RestoreBackup(BackupPathFor(dir.filePath("never saved.txt"), backups), data, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadBytes(data), current);
    // A data file made read-only by its owner stays as it is.
    ASSERT_TRUE(QFile::setPermissions(data, QFile::ReadOwner | QFile::ReadUser));
    EXPECT_FALSE(RestoreBackup(backup(), data));
    EXPECT_EQ(ReadBytes(data), current);
}

} // namespace
