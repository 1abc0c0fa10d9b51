// The source application dialog on the offscreen platform: how it is prepared from the
// settings, the key and delay boxes, "&Browse", and what "&Save", "&OK" and "&Cancel" commit.
#include "acquisition/frmSourceAPP.h"
#include "settings/SettingsModule.h"
#include "support/FakePlatform.h"
#include "support/Files.h"
#include "support/TempXdg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kSave = 0;
constexpr int kOk = 1;
constexpr int kCancel = 2;

class SourceAppDialog : public ::testing::Test {
protected:
    void SetUp() override {
        settings.IniPath = xdg.iniPath();
        settings.SourceAppPath = QStringLiteral("/opt/capture/grab");
        settings.AccessKeyNotation = QStringLiteral("^p");
        settings.NoWait = 0;
        settings.NoWaitDelay = 500;
        settings.StartupDone = 0;
        UpdateSourceAppInfo(settings);
    }

    // Opens the dialog as the options dialog's "C&hange" does, shown without blocking.
    frmSourceAPP& open() {
        dialog = std::make_unique<frmSourceAPP>(settings, fake.services);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }

    // Types into a box the way a user does, at the end of its text.
    static void type(QLineEdit* box, const QString& keys) {
        box->setFocus();
        box->end(false);
        for (const QChar c : keys) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(box, char(c.unicode()));
            } else { // a key of a non-English layout
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
            }
        }
    }

    TempXdg xdg;
    FakePlatform fake;
    SettingsModule settings;
    std::unique_ptr<frmSourceAPP> dialog;
};

TEST_F(SourceAppDialog, OpensWithEveryControlAndCaptionAtItsDesignPlace) {
    frmSourceAPP& d = open();
    EXPECT_EQ(d.windowTitle(), "Source App.");
    EXPECT_TRUE(d.windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(d.minimumSize(), d.maximumSize()); // fixed size
    const QRect screen = fake.system.ScreenRect();
    EXPECT_EQ(d.pos(), screen.topLeft() + QPoint(179, 170)); // 2685, 2550 twips

    EXPECT_EQ(d.Frame1->title(), "Source app");
    EXPECT_EQ(d.cmdChenge->text(), "&Browse");
    EXPECT_EQ(d.Frame4->title(), "Wait");
    EXPECT_EQ(d.chkWait->text(), "Don't wait for the termination of the source app.");
    EXPECT_EQ(d.lblWait1->text(), "and forcedly process");
    EXPECT_EQ(d.lblwait2->text(), "msec later");
    EXPECT_EQ(d.Frame2->title(), "Access Key");
    EXPECT_EQ(d.optShitKey[0]->text(), "Shift");
    EXPECT_EQ(d.optShitKey[1]->text(), "Ctrl");
    EXPECT_EQ(d.optShitKey[2]->text(), "Alt");
    EXPECT_EQ(d.Command1[kSave]->text(), "&Save");
    EXPECT_EQ(d.Command1[kOk]->text(), "&OK");
    EXPECT_EQ(d.Command1[kCancel]->text(), "&Cancel");
    EXPECT_TRUE(d.Command1[kOk]->isDefault());

    // Every caption is readable: nothing is cut off or hidden under a neighbour.
    for (QWidget* w :
         std::initializer_list<QWidget*>{d.chkWait, d.lblWait1, d.lblwait2, d.optShitKey[0],
                                         d.optShitKey[1], d.optShitKey[2], d.cmdChenge}) {
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
    }
}

TEST_F(SourceAppDialog, IsPreparedFromTheSettings) {
    const struct {
        const char* what;
        int16_t startupDone;
        bool running;
        int16_t noWait;
        const char* notation;
        bool browse;
        const char* keyText;
        int checkedModifier;
    } cases[] = {
        {"at start-up", 0, false, 0, "^p", true, "P", 1},
        {"after start-up, source app running", 1, true, 1, "%pr", false, "PR", 2},
        {"after start-up, source app not running", 1, false, 0, "+q", true, "Q", 0},
        {"key of an absent entry", 0, false, 0, "lq.ini", true, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.StartupDone = c.startupDone;
        settings.NoWait = c.noWait;
        settings.AccessKeyNotation = QString::fromLatin1(c.notation);
        settings.AccessKeyModifier = 1;
        UpdateSourceAppInfo(settings);
        settings.SourceAppTaskId =
            c.running ? fake.processes.Launch("/opt/capture/grab", {}, nullptr) : 0;
        frmSourceAPP& d = open();
        EXPECT_EQ(d.cmdChenge->isEnabled(), c.browse);
        EXPECT_EQ(d.Label2->text(), "/opt/capture/grab");
        EXPECT_EQ(d.txtKey->text(), c.keyText);
        EXPECT_EQ(settings.AccessKeyLetters, c.keyText);
        EXPECT_TRUE(d.optShitKey[c.checkedModifier]->isChecked());
        EXPECT_EQ(d.txtWait->text(), "500");
        EXPECT_EQ(d.chkWait->isChecked(), c.noWait == 1);
        for (QWidget* w : {static_cast<QWidget*>(d.txtWait), static_cast<QWidget*>(d.lblWait1),
                           static_cast<QWidget*>(d.lblwait2)}) {
            EXPECT_EQ(w->isEnabled(), c.noWait == 1) << w->objectName().toStdString();
        }
        EXPECT_EQ(d.PendingApp, "/opt/capture/grab");
        EXPECT_EQ(d.PendingNotWait, c.noWait);
        EXPECT_EQ(d.PendingNotWaitMs, 500);
        EXPECT_EQ(fake.messages.beeps, 0);
    }
}

TEST_F(SourceAppDialog, KeyBoxTakesUpToTwoLettersShownInUpperCase) {
    settings.AccessKeyNotation = QStringLiteral("%");
    frmSourceAPP& d = open();
    ASSERT_EQ(d.txtKey->text(), "");
    const struct {
        const char* typed;
        const char* shown;
        int beeps;
    } steps[] = {
        {"p", "P", 0},  // lower case is shown in upper case
        {"1", "P", 1},  // not a letter
        {"R", "PR", 0}, // upper case as it is
        {"x", "PR", 1}, // a third letter
        {"\b", "P", 0}, // backspace
        {" ", "P", 1},  {"é", "P", 1},
    };
    int beeps = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.typed);
        if (QByteArray(s.typed) == "\b") {
            QTest::keyClick(d.txtKey, Qt::Key_Backspace);
        } else {
            type(d.txtKey, QString::fromUtf8(s.typed));
        }
        beeps += s.beeps;
        EXPECT_EQ(d.txtKey->text(), s.shown);
        EXPECT_EQ(settings.AccessKeyLetters, s.shown);
        EXPECT_EQ(fake.messages.beeps, beeps);
        EXPECT_EQ(d.txtKey->cursorPosition(), d.txtKey->text().size());
    }
    // Pasted text is checked the same way.
    d.txtKey->setText(QStringLiteral("ab1"));
    EXPECT_EQ(d.txtKey->text(), "P");
    d.txtKey->setText(QStringLiteral("qz"));
    EXPECT_EQ(d.txtKey->text(), "QZ");
}

TEST_F(SourceAppDialog, DelayBoxTakesUpToFourDigitsAndRestoresOtherInputSilently) {
    settings.NoWait = 1;
    frmSourceAPP& d = open();
    const struct {
        const char* what;
        bool clearFirst;
        const char* typed;
        const char* shown;
        int pending;
    } steps[] = {
        {"cleared", true, "", "", 0},
        {"a letter restores the last number", false, "a", "0", 0},
        {"digits", true, "1234", "1234", 1234},
        {"a fifth digit", false, "5", "1234", 1234},
        {"a letter", false, "x", "1234", 1234},
        {"a leading zero", true, "0250", "0250", 250},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.clearFirst) {
            d.txtWait->clear();
        }
        type(d.txtWait, QString::fromLatin1(s.typed));
        EXPECT_EQ(d.txtWait->text(), s.shown);
        EXPECT_EQ(d.PendingNotWaitMs, s.pending);
    }
    EXPECT_EQ(fake.messages.beeps, 0);
    EXPECT_EQ(settings.NoWaitDelay, 500); // pending until "&OK" or "&Save"
}

TEST_F(SourceAppDialog, WaitBoxSwitchesTheDelayControlsAndKeepsTheDelay) {
    frmSourceAPP& d = open();
    d.chkWait->click();
    EXPECT_EQ(d.PendingNotWait, 1);
    EXPECT_TRUE(d.txtWait->isEnabled());
    EXPECT_TRUE(d.lblWait1->isEnabled());
    EXPECT_TRUE(d.lblwait2->isEnabled());
    d.chkWait->click();
    EXPECT_EQ(d.PendingNotWait, 0);
    EXPECT_FALSE(d.txtWait->isEnabled());
    EXPECT_EQ(d.txtWait->text(), "500");
}

TEST_F(SourceAppDialog, OkBuildsTheNotationFromTheModifierAndTheLettersAndWritesNothing) {
    const struct {
        int modifier;
        const char* notation;
        const char* text;
    } cases[] = {{0, "+pr", "<Shift>+PR"}, {1, "^pr", "<Ctrl>+PR"}, {2, "%pr", "<Alt>+PR"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation);
        frmSourceAPP& d = open();
        QLabel appLabel;
        QLabel keyLabel;
        d.SetOptionLabels(&appLabel, &keyLabel);
        d.optShitKey[c.modifier]->click();
        d.txtKey->clear();
        type(d.txtKey, QStringLiteral("pr"));
        d.chkWait->click();
        d.txtWait->clear();
        type(d.txtWait, QStringLiteral("250"));
        d.Command1[kOk]->click();

        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.PendingKey, c.notation);
        EXPECT_EQ(settings.AccessKeyNotation, c.notation);
        EXPECT_EQ(settings.AccessKeyText, c.text);
        EXPECT_EQ(settings.AccessKeyModifier, c.modifier);
        EXPECT_EQ(settings.NoWait, 1);
        EXPECT_EQ(settings.NoWaitDelay, 250);
        EXPECT_EQ(appLabel.text(), "App.: GRAB");
        EXPECT_EQ(keyLabel.text(), QStringLiteral("Access Key : ") + c.text);
        EXPECT_FALSE(QFile::exists(settings.IniPath));

        settings.NoWait = 0; // for the next opening
        settings.NoWaitDelay = 500;
    }
}

TEST_F(SourceAppDialog, SaveWritesExactlyTheFourSourceAppEntries) {
    const QByteArray before = "; mine\r\n[options]\r\nMagRate= 2\r\nextra=kept\r\n";
    ASSERT_TRUE(WriteBytes(settings.IniPath, before));
    fake.fileDialogs.answers.push_back(QStringLiteral("/usr/local/bin/shot tool"));
    frmSourceAPP& d = open();
    d.cmdChenge->click();
    d.optShitKey[2]->click();
    d.chkWait->click();
    d.Command1[kSave]->click();

    EXPECT_EQ(ReadBytes(settings.IniPath),
              before + "[source app]\r\napp=/usr/local/bin/shot tool\r\nkey=%p\r\nnotwait= "
                       "1\r\nnotwaitms= 500\r\n");
    EXPECT_EQ(settings.SourceAppPath, "/usr/local/bin/shot tool");
    EXPECT_EQ(settings.SourceAppName, "shot tool");
    EXPECT_TRUE(fake.messages.shown.isEmpty());

    // Saved again with a zero delay: the number keeps its leading blank.
    open();
    dialog->txtWait->clear();
    dialog->Command1[kSave]->click();
    EXPECT_TRUE(ReadBytes(settings.IniPath).endsWith("notwaitms= 0\r\n"));
}

TEST_F(SourceAppDialog, SaveThatCannotWriteSaysSoAndStillAppliesForThisRun) {
    settings.IniPath = xdg.root() + "/not-a-folder/lq.ini";
    ASSERT_TRUE(WriteBytes(xdg.root() + "/not-a-folder", "a file where the folder should be"));
    frmSourceAPP& d = open();
    d.optShitKey[2]->click();
    d.Command1[kSave]->click();
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_TRUE(fake.messages.shown[0].text.contains("could not be saved"));
    EXPECT_EQ(settings.AccessKeyNotation, "%p");
    EXPECT_FALSE(d.isVisible());
}

TEST_F(SourceAppDialog, CancelCommitsNothingAndTheStoredModifierComesBack) {
    for (const char* how : {"button", "Esc"}) {
        SCOPED_TRACE(how);
        frmSourceAPP& d = open();
        d.optShitKey[2]->click();
        EXPECT_EQ(settings.AccessKeyModifier, 2); // at once, not pending
        QTest::keyClick(d.txtKey, Qt::Key_Backspace);
        d.chkWait->click();
        if (QByteArray(how) == "Esc") {
            QTest::keyClick(&d, Qt::Key_Escape);
        } else {
            d.Command1[kCancel]->click();
        }
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(settings.AccessKeyNotation, "^p");
        EXPECT_EQ(settings.NoWait, 0);
        EXPECT_FALSE(QFile::exists(settings.IniPath));

        UpdateSourceAppInfo(settings); // as the options dialog does after it
        EXPECT_EQ(settings.AccessKeyModifier, 1);
        EXPECT_TRUE(open().optShitKey[1]->isChecked());
    }
}

TEST_F(SourceAppDialog, EmptyKeyAsksForOneAndKeepsTheDialogOpen) {
    fake.fileDialogs.answers.push_back(QStringLiteral("/usr/bin/other"));
    frmSourceAPP& d = open();
    d.cmdChenge->click();
    d.txtKey->clear();
    for (int button : {kOk, kSave}) {
        d.Command1[button]->click();
    }
    ASSERT_EQ(fake.messages.shown.size(), 2);
    EXPECT_EQ(fake.messages.shown[0].text, "Please input access key.");
    EXPECT_EQ(fake.messages.shown[0].title, "Access Key");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(settings.SourceAppPath, "/opt/capture/grab");
    EXPECT_EQ(settings.AccessKeyNotation, "^p");
    EXPECT_FALSE(QFile::exists(settings.IniPath));
}

TEST_F(SourceAppDialog, BrowseOffersTheProgramsAndKeepsTheChoicePending) {
    settings.SourceAppPath = QStringLiteral("/usr/bin/grab");
    frmSourceAPP& d = open();
    d.cmdChenge->click(); // cancelled: nothing changes
    EXPECT_EQ(d.Label2->text(), "/usr/bin/grab");
    ASSERT_EQ(fake.fileDialogs.requests.size(), 1);
    const FileDialogRequest& request = fake.fileDialogs.requests[0];
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.title, "Assign the Source App.");
    EXPECT_EQ(request.nameFilters, QStringList{"Execute file (*)"});
    EXPECT_TRUE(request.executablesOnly);
    EXPECT_FALSE(request.mustExist); // the typed name is not validated
    EXPECT_EQ(request.defaultSuffix, "");
    EXPECT_EQ(request.directory, "/usr/bin"); // beside the program chosen before

    fake.fileDialogs.answers.push_back(QStringLiteral("/home/me/ツール/grab"));
    d.cmdChenge->click();
    EXPECT_EQ(d.PendingApp, "/home/me/ツール/grab");
    EXPECT_EQ(d.Label2->text(), "/home/me/ツール/grab");
    EXPECT_EQ(settings.SourceAppPath, "/usr/bin/grab");
    d.Command1[kOk]->click();
    EXPECT_EQ(settings.SourceAppPath, "/home/me/ツール/grab");
    EXPECT_EQ(settings.SourceAppName, "grab");
}

TEST(SourceAppDialogKeys, GetSKGivesTheIndexOfTheLastModifier) {
    const struct {
        const char* keyStroke;
        int16_t index;
    } cases[] = {{"+p", 0}, {"^p", 1}, {"%pr", 2}, {"p", 0}, {"", 0}, {"%^p", 1}, {"^p+", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(frmSourceAPP::getSK(QString::fromLatin1(c.keyStroke)), c.index) << c.keyStroke;
    }
}

} // namespace
