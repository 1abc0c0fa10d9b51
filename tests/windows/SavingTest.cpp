// Saving measurements: the data file made at the first save, one row per save in each
// layout, taking the last row back, auto-increment, the editor that must be closed before
// a save, and saves that fail without losing anything.
#include "mainwindow/PictureBox.h"
#include "records/DataFile.h"
#include "support/Files.h"
#include "support/Form1Fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

// Sets $VISUAL for one test and puts the old value (or its absence) back however the test
// ends.
class ScopedVisual {
public:
    explicit ScopedVisual(const char* value)
        : old_(qgetenv("VISUAL"))
        , had_(qEnvironmentVariableIsSet("VISUAL")) {
        qputenv("VISUAL", value);
    }
    ~ScopedVisual() {
        if (had_) {
            qputenv("VISUAL", old_);
        } else {
            qunsetenv("VISUAL");
        }
    }
    ScopedVisual(const ScopedVisual&) = delete;
    ScopedVisual& operator=(const ScopedVisual&) = delete;

private:
    QByteArray old_;
    bool had_;
};

const QString kStillEditing =
    QStringLiteral("データファイルがまだ編集中です。メモ帳を終了してください。");

class Saving : public Form1Fixture {
protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        data = folder.filePath("my data.txt");
    }

    // Starts with `options` in lq.ini and a pasted picture of 400 x 300 pixels at 100 %.
    void startWith(const QByteArray& options = "") {
        writeIni("[options]\nMAGRATE=2\n" + options + "datapath=" + folder.path().toUtf8() + "\n");
        ASSERT_TRUE(start());
        fake.clipboard.bitmap = true;
        fake.clipboard.image = QImage(400, 300, QImage::Format_RGB32);
        fake.clipboard.image.fill(Qt::white);
        form->paste_Click();
    }

    // Measures from `from` to `to` (picture pixels) with clicks on the picture; results are
    // in twips of the picture at 100 %, 15 to the pixel.
    void measure(QPoint from, QPoint to) {
        if (settings.MeasureState == 2) {
            QTest::mouseClick(form->Picture2, Qt::LeftButton, {}, from); // clears the last one
        }
        for (const QPoint p : {from, to}) {
            QTest::mouseMove(form->Picture2, p);
            QTest::mouseClick(form->Picture2, Qt::LeftButton, {}, p);
        }
        QTest::mouseDClick(form->Picture2, Qt::LeftButton, {}, to);
        ASSERT_TRUE(form->Command1->isEnabled());
    }

    // Types `comment` and presses Enter in the comment box, choosing the data file when the
    // save asks for it.
    void save(const QString& comment) {
        form->Text1->setFocus();
        form->Text1->setText(comment);
        fake.fileDialogs.answers.push_back(data);
        QTest::keyClick(form->Text1, Qt::Key_Return);
        fake.fileDialogs.answers.clear();
    }

    bool saveGroupEnabled() const {
        const bool all =
            form->Command1->isEnabled() && form->Topen->isEnabled() && form->rsave->isEnabled();
        const bool any =
            form->Command1->isEnabled() || form->Topen->isEnabled() || form->rsave->isEnabled();
        EXPECT_EQ(all, any) << "the save group is enabled only in part";
        return all;
    }

    QTemporaryDir folder;
    QString data;
};

TEST_F(Saving, TheFirstSaveMakesTheDataFileWithItsHeaderThenTheRow) {
    startWith();
    EXPECT_FALSE(form->mnuNOTEPAD->isEnabled());
    measure({10, 20}, {110, 95}); // 100 pixels across, 75 down
    save("A1");

    ASSERT_EQ(fake.fileDialogs.requests.size(), 1);
    const FileDialogRequest& asked = fake.fileDialogs.requests.front();
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, QStringLiteral("データファイルの作成"));
    EXPECT_EQ(asked.nameFilters, QStringList{"Txt file (*.txt)"});
    EXPECT_EQ(asked.defaultSuffix, "txt");
    EXPECT_EQ(asked.directory, folder.path());
    EXPECT_TRUE(asked.confirmOverwrite);

    EXPECT_EQ(ReadBytes(data), "Disttance\tdX\tdY\tcomment\r\n1875\t1500\t1125\tA1\r\n");
    EXPECT_EQ(settings.DataFileReady, 1);
    EXPECT_TRUE(form->mnuNOTEPAD->isEnabled());
    EXPECT_TRUE(form->Undo->isEnabled());
    EXPECT_FALSE(saveGroupEnabled());
    EXPECT_TRUE(fake.messages.shown.isEmpty());

    // Later saves of the run append to the same file without asking.
    measure({5, 5}, {35, 45});
    save("A2");
    EXPECT_EQ(fake.fileDialogs.requests.size(), 1);
    EXPECT_EQ(ReadBytes(data),
              "Disttance\tdX\tdY\tcomment\r\n1875\t1500\t1125\tA1\r\n750\t450\t600\tA2\r\n");
}

TEST_F(Saving, EveryLayoutWritesItsHeaderAndRowsByteForByte) {
    const struct {
        int format;
        QByteArray expected;
    } cases[] = {
        {0, "Disttance\tdX\tdY\tcomment\r\n1875\t1500\t1125\tA1\r\n1875\t1500\t1125\t\r\n"},
        {1, "distance   dX        dY        comment   \r\n"
            "      1875      1500      1125  A1       \r\n"
            "      1875      1500      1125           \r\n"},
        {2, "Disttance dX dY comment\r\n1875 1500 1125 A1\r\n1875 1500 1125 \r\n"},
        {3, "Disttance,dX,dY,comment\r\n1875,1500,1125,A1\r\n1875,1500,1125,\r\n"},
        {4, "\"Disttance\",\"dX\",\"dY\",\"comment\"\r\n1875,1500,1125,\"A1\"\r\n1875,1500,1125,"
            "\"\"\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        settings = SettingsModule{};
        settings.IniPath = xdg.iniPath();
        startWith("delimiter=" + QByteArray::number(c.format) + "\n");
        measure({10, 20}, {110, 95});
        save(" A1"); // a leading blank stays only in the column layout
        measure({10, 20}, {110, 95});
        save("");
        EXPECT_EQ(ReadBytes(data), c.expected);
        form.reset();
    }
}

TEST_F(Saving, WithoutADefaultFolderTheFileDialogOpensInTheHomeFolder) {
    writeIni("[options]\nMAGRATE=2\n"); // no "datapath": it reads as "lq.ini"
    ASSERT_TRUE(start());
    fake.clipboard.bitmap = true;
    fake.clipboard.image = QImage(400, 300, QImage::Format_RGB32);
    form->paste_Click();
    measure({10, 20}, {110, 95});
    save("A1");
    ASSERT_EQ(fake.fileDialogs.requests.size(), 1);
    EXPECT_EQ(fake.fileDialogs.requests.front().directory, QDir::homePath());
}

TEST_F(Saving, CancellingTheFileDialogWritesNothingAndKeepsTheRecordPending) {
    startWith();
    measure({10, 20}, {110, 95});
    form->Text1->setText("A1");
    form->Command1->click(); // no answer scripted: the dialog is cancelled
    EXPECT_FALSE(QFileInfo::exists(data));
    EXPECT_EQ(settings.DataFileReady, 0);
    EXPECT_TRUE(saveGroupEnabled());
    EXPECT_FALSE(form->Undo->isEnabled());
    EXPECT_TRUE(fake.messages.shown.isEmpty());

    save("A1"); // the next save asks again
    EXPECT_EQ(fake.fileDialogs.requests.size(), 2);
    EXPECT_EQ(ReadBytes(data), "Disttance\tdX\tdY\tcomment\r\n1875\t1500\t1125\tA1\r\n");
}

TEST_F(Saving, UndoTakesBackOnlyTheLastRow) {
    startWith("delimiter=3\n");
    measure({5, 5}, {35, 45});
    save("a");
    measure({5, 5}, {65, 85});
    save("b");
    form->Undo->trigger();
    EXPECT_EQ(ReadBytes(data), "Disttance,dX,dY,comment\r\n750,450,600,a\r\n");
    EXPECT_FALSE(form->Undo->isEnabled()); // one level only
    EXPECT_FALSE(saveGroupEnabled());      // the record taken back is not pending again

    // The next save refreshes the backup first: its undo removes that row alone.
    measure({5, 5}, {14, 17});
    save("c");
    form->Undo->trigger();
    EXPECT_EQ(ReadBytes(data), "Disttance,dX,dY,comment\r\n750,450,600,a\r\n");
}

TEST_F(Saving, AutoIncrementAdvancesTheCommentAfterTheRowIsWritten) {
    startWith("delimiter=2\n");
    form->chkAI->setChecked(true);
    measure({5, 5}, {35, 45});
    form->Text1->setText("No.9x9");
    form->Text1->setCursorPosition(3);
    fake.fileDialogs.answers.push_back(data);
    form->Command1->click();
    EXPECT_EQ(ReadBytes(data), "Disttance dX dY comment\r\n750 450 600 No.9x9\r\n");
    EXPECT_EQ(form->Text1->text(), "No.9x10");
    EXPECT_EQ(form->Text1->cursorPosition(), 3);
}

TEST_F(Saving, ASaveWhileTheEditorRunsIsRefusedAndTheEditorComesToTheFront) {
    const ScopedVisual visual("stand-in-editor --new");
    startWith();
    measure({5, 5}, {35, 45});
    save("a");
    const QByteArray saved = ReadBytes(data);

    form->mnuNOTEPAD->trigger();
    ASSERT_EQ(fake.processes.launched.size(), 1);
    EXPECT_EQ(fake.processes.launched[0].program, "stand-in-editor");
    // The path is one argument, blank and all.
    EXPECT_EQ(fake.processes.launched[0].arguments, (QStringList{"--new", data}));
    const int32_t editor = settings.EditorTaskId;
    EXPECT_EQ(settings.EditorRunning, 1);
    fake.desktop.windows.insert(editor);

    measure({5, 5}, {65, 85});
    save("b");
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_EQ(fake.messages.shown[0].text, kStillEditing);
    EXPECT_EQ(fake.messages.shown[0].title, "Linealis");
    EXPECT_EQ(fake.desktop.activated, QList<int32_t>{editor});
    EXPECT_EQ(ReadBytes(data), saved);
    EXPECT_TRUE(saveGroupEnabled());
    EXPECT_EQ(form->Text1->text(), "b");

    fake.processes.running.remove(editor); // the user quits the editor
    form->Command1->click();
    EXPECT_EQ(ReadBytes(data), saved + "1500\t900\t1200\tb\r\n");
    EXPECT_EQ(settings.EditorRunning, 0);
    EXPECT_EQ(fake.messages.shown.size(), 1);
}

TEST_F(Saving, OnlyTheEditorStartedLastIsWaitedFor) {
    const ScopedVisual visual("stand-in-editor");
    startWith();
    measure({5, 5}, {35, 45});
    save("a");
    form->mnuNOTEPAD->trigger();
    form->mnuNOTEPAD->trigger();
    ASSERT_EQ(fake.processes.launched.size(), 2);
    fake.processes.running.remove(settings.EditorTaskId); // the second one is closed
    measure({5, 5}, {65, 85});
    save("b");
    EXPECT_TRUE(fake.messages.shown.isEmpty());
    EXPECT_FALSE(saveGroupEnabled());
}

TEST_F(Saving, AnEditorThatCannotStartIsReported) {
    const ScopedVisual visual("no-such-editor");
    startWith();
    measure({5, 5}, {35, 45});
    save("a");
    fake.processes.failLaunch = true;
    form->mnuNOTEPAD->trigger();
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_TRUE(fake.messages.shown[0].text.contains("could not be started"));
    EXPECT_EQ(settings.EditorRunning, 0);
}

// A data file gone or spoilt between two saves: the row is not written anywhere, the
// record stays pending, and undo puts nothing wrong in place.
TEST_F(Saving, AFailedAppendKeepsTheRecordPendingAndTheFileAsItWas) {
    startWith();
    measure({5, 5}, {35, 45});
    save("a");
    const QByteArray saved = ReadBytes(data);
    ASSERT_TRUE(QFile::setPermissions(data, QFile::ReadOwner | QFile::ReadUser));
    measure({5, 5}, {65, 85});
    save("b");
    EXPECT_EQ(ReadBytes(data), saved);
    EXPECT_TRUE(saveGroupEnabled());
    EXPECT_TRUE(fake.messages.shown.isEmpty()); // not reported, as every failed save

    QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(data);
    form->Command1->click();
    EXPECT_FALSE(QFileInfo::exists(data)); // never made again without its header
    EXPECT_TRUE(saveGroupEnabled());
}

TEST_F(Saving, AnUndoThatCannotCopyTellsSoAndStaysPossible) {
    startWith();
    measure({5, 5}, {35, 45});
    save("a");
    measure({5, 5}, {65, 85});
    save("b");
    const QByteArray saved = ReadBytes(data);
    ASSERT_TRUE(QFile::remove(BackupPathFor(data, BackupFolder())));
    form->Undo->trigger();
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_TRUE(fake.messages.shown[0].text.contains("could not be taken back"));
    EXPECT_EQ(ReadBytes(data), saved);
    EXPECT_TRUE(form->Undo->isEnabled());
}

TEST_F(Saving, TheBackupLivesInThePrivateStateFolder) {
    startWith();
    measure({5, 5}, {35, 45});
    save("a");
    EXPECT_TRUE(BackupFolder().startsWith(xdg.stateHome()));
    const QString backup = BackupPathFor(data, BackupFolder());
    EXPECT_EQ(ReadBytes(backup), "Disttance\tdX\tdY\tcomment\r\n");
}

TEST_F(Saving, AFormatOutsideTheLayoutsNeverGivesAnEmptyHeader) {
    startWith();
    settings.DataFormat = 9; // however it got there
    measure({5, 5}, {35, 45});
    save("a");
    EXPECT_EQ(ReadBytes(data), "Disttance\tdX\tdY\tcomment\r\n750\t450\t600\ta\r\n");
}

} // namespace
