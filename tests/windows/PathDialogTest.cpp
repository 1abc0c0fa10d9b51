// The default data path dialog: the tree and its label, the list of file systems with a
// rollback when one does not answer, the home folder for a path that names no folder, and
// what "&Save", "&OK" and "&Cancel" take and write, also from inside the options dialog.
#include "settings/DialogParts.h"
#include "settings/frmOPT.h"
#include "settings/frmPath.h"
#include "support/DialogFixture.h"
#include "support/Form1Fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace testing_support;

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name)
        , old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() { qputenv(name_, old_); }

private:
    const char* name_;
    QByteArray old_;
};

class PathDialog : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        root = QDir::cleanPath(xdg.root() + "/data");
        ASSERT_TRUE(QDir().mkpath(root + "/first"));
        ASSERT_TRUE(QDir().mkpath(root + "/second/inner"));
        settings.DefaultDataPath = root + "/first";
        ASSERT_TRUE(WriteBytes(settings.IniPath, "[options]\r\ndatapath=/old\r\n"));
    }

    frmPath* open() {
        dialog = std::make_unique<frmPath>(settings, fake.services, &optionsLabel);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog.get();
    }

    // The user opens `path` in the tree.
    static void browse(frmPath* d, const QString& path) {
        auto* model = static_cast<QFileSystemModel*>(d->Dir1->model());
        const QModelIndex index = model->index(path);
        ASSERT_TRUE(index.isValid()) << path.toStdString();
        d->Dir1->setCurrentIndex(index);
    }

    // The user picks entry `index` of the file system list.
    static void pick(frmPath* d, int index) {
        d->Drive1->setCurrentIndex(index);
        emit d->Drive1->activated(index);
    }

    QString root;
    ElidedLabel optionsLabel; // the options dialog's "Default path" label
    std::unique_ptr<frmPath> dialog;
};

TEST_F(PathDialog, OpensTheSavedFolderAndTheLabelFollowsTheTree) {
    frmPath* d = open();
    EXPECT_EQ(d->windowTitle(), "Default Path set up");
    EXPECT_EQ(d->Dir1Path(), root + "/first");
    EXPECT_EQ(d->lblPath->text(), root + "/first");
    ASSERT_GE(d->Drive1->currentIndex(), 0);
    EXPECT_EQ(d->Drive1->currentIndex(), VolumeIndexOf(d->Drives(), root));
    browse(d, root + "/second/inner");
    EXPECT_EQ(d->lblPath->text(), root + "/second/inner");
}

TEST_F(PathDialog, OkTakesTheFolderForThisRunOnly) {
    frmPath* d = open();
    browse(d, root + "/second");
    d->cmdPath[1]->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.DefaultDataPath, root + "/second");
    EXPECT_EQ(optionsLabel.text(), root + "/second");
    EXPECT_EQ(ini(), "[options]\r\ndatapath=/old\r\n");
    EXPECT_TRUE(fake.messages.shown.isEmpty());
}

TEST_F(PathDialog, SaveTakesTheFolderAndWritesItAtOnce) {
    frmPath* d = open();
    browse(d, root + "/second");
    d->cmdPath[0]->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.DefaultDataPath, root + "/second");
    EXPECT_EQ(optionsLabel.text(), root + "/second");
    EXPECT_EQ(ini(), ("[options]\r\ndatapath=" + root + "/second\r\n").toUtf8());
}

TEST_F(PathDialog, CancelTakesNothingWhereverTheUserWent) {
    optionsLabel.setText(settings.DefaultDataPath);
    frmPath* d = open();
    browse(d, root + "/second/inner");
    pick(d, 0); // "/"
    d->cmdPath[2]->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.DefaultDataPath, root + "/first");
    EXPECT_EQ(optionsLabel.text(), root + "/first");
    EXPECT_EQ(ini(), "[options]\r\ndatapath=/old\r\n");

    // Esc is "&Cancel" too.
    d = open();
    browse(d, root + "/second");
    QTest::keyClick(d, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.DefaultDataPath, root + "/first");
}

TEST_F(PathDialog, AFileSystemThatDoesNotAnswerReturnsToTheLastGoodFolder) {
    frmPath* d = open();
    d->FillDrives({{"/", "/"}, {root + "/unplugged", "/media/stick [STICK]"}});
    browse(d, root + "/second");
    ASSERT_EQ(d->Drive1->currentIndex(), 0);

    pick(d, 1);
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_EQ(fake.messages.shown[0].text, "ドライブの準備ができているか確かめてください。");
    EXPECT_EQ(fake.messages.shown[0].title, "Linealis");
    EXPECT_EQ(d->Dir1Path(), root + "/second");
    EXPECT_EQ(d->lblPath->text(), root + "/second");
    EXPECT_EQ(d->Drive1->currentIndex(), 0);
    EXPECT_TRUE(d->isVisible()); // the dialog stays open

    // A folder that exists but is no longer the top of a mounted file system does not answer
    // either: the medium is gone and only the empty mount point is left.
    d->FillDrives({{"/", "/"}, {root + "/first", "/media/gone"}});
    pick(d, 1);
    EXPECT_EQ(fake.messages.shown.size(), 2);
    EXPECT_EQ(d->lblPath->text(), root + "/second");
    EXPECT_EQ(d->Drive1->currentIndex(), 0);

    // One that answers opens at its top.
    pick(d, 0);
    EXPECT_EQ(fake.messages.shown.size(), 2);
    EXPECT_EQ(d->Dir1Path(), "/");
    EXPECT_EQ(d->lblPath->text(), "/");
    d->cmdPath[1]->click();
    EXPECT_EQ(settings.DefaultDataPath, "/"); // no separator added or taken away
}

TEST_F(PathDialog, APathThatNamesNoFolderOpensTheHomeFolder) {
    const QString home = root + "/second";
    const ScopedEnv homeEnv("HOME", home.toLocal8Bit());
    ASSERT_TRUE(WriteBytes(root + "/a-file", "x"));
    for (const QString& path : {QStringLiteral("lq.ini"), QString(), root + "/missing",
                                QStringLiteral("first"), root + "/a-file"}) {
        SCOPED_TRACE(path.toStdString());
        settings.DefaultDataPath = path;
        frmPath* d = open();
        EXPECT_EQ(d->Dir1Path(), home);
        EXPECT_EQ(d->lblPath->text(), home);
        // Nothing is taken until the user confirms.
        d->cmdPath[2]->click();
        EXPECT_EQ(settings.DefaultDataPath, path);
    }
}

TEST_F(PathDialog, TheFolderIsTakenWithoutATrailingSeparator) {
    settings.DefaultDataPath = root + "/first/";
    frmPath* d = open();
    EXPECT_EQ(d->lblPath->text(), root + "/first");
    d->cmdPath[1]->click();
    EXPECT_EQ(settings.DefaultDataPath, root + "/first");
}

TEST_F(PathDialog, AFolderTheSettingsFileCannotKeepIsUsedButNotWritten) {
    // lq.ini keeps at most 49 bytes of a value, without blanks at its ends: the next start
    // would look in another folder.
    const QString longer = root + "/" + QString(60, u'x');
    const QString blank = root + "/trailing ";
    for (const QString& path : {longer, blank}) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(QDir().mkpath(path));
        fake.messages.shown.clear();
        frmPath* d = open();
        browse(d, path);
        d->cmdPath[0]->click();
        EXPECT_EQ(settings.DefaultDataPath, path);
        EXPECT_EQ(optionsLabel.text(), path);
        ASSERT_EQ(fake.messages.shown.size(), 1);
        EXPECT_EQ(fake.messages.shown[0].text, frmPath::NotStorableMessage());
        EXPECT_EQ(ini(), "[options]\r\ndatapath=/old\r\n");
    }
}

TEST_F(PathDialog, ShownAtItsDesignPlaceNotCentred) {
    fake.system.screen = QRect(100, 50, 1600, 900);
    frmPath* d = open();
    EXPECT_EQ(d->pos(), QPoint(100 + 142, 50 + 140)); // 2130, 2100 twips
}

// The same, opened with "&Browse" from the options dialog.
class PathFromOptions : public PathDialog {
protected:
    // Opens the path dialog from the options dialog, opens `path` in it and presses `button`.
    void browseFromOptions(frmOPT& options, const QString& path, int button) {
        bool answered = false;
        whenModal<frmPath>([&](frmPath* d) {
            browse(d, path);
            d->cmdPath[button]->click();
            answered = true;
        });
        options.cmdPath->click();
        EXPECT_TRUE(answered);
    }
};

TEST_F(PathFromOptions, SaveIsWrittenEvenWhenTheOptionsAreThenCancelled) {
    frmOPT options(settings, fake.services);
    options.show();
    browseFromOptions(options, root + "/second", kSave);
    EXPECT_EQ(options.lblDATAPath->text(), root + "/second");
    options.cmdButton[kCancel]->click();
    EXPECT_EQ(settings.DefaultDataPath, root + "/second");
    EXPECT_EQ(ini(), ("[options]\r\ndatapath=" + root + "/second\r\n").toUtf8());
}

TEST_F(PathFromOptions, OkHoldsForTheRunEvenWhenTheOptionsAreThenCancelled) {
    frmOPT options(settings, fake.services);
    options.show();
    browseFromOptions(options, root + "/second", kOk);
    EXPECT_EQ(options.lblDATAPath->text(), root + "/second");
    options.cmdButton[kCancel]->click();
    EXPECT_EQ(settings.DefaultDataPath, root + "/second");
    EXPECT_EQ(ini(), "[options]\r\ndatapath=/old\r\n");

    // The options dialog's "&Save" writes its five entries, never "datapath".
    frmOPT again(settings, fake.services);
    again.show();
    browseFromOptions(again, root + "/first", kOk);
    again.cmdButton[kSave]->click();
    EXPECT_TRUE(ini().contains("datapath=/old\r\n"));
    EXPECT_EQ(settings.DefaultDataPath, root + "/first");
}

TEST_F(PathFromOptions, CancelChangesNothing) {
    frmOPT options(settings, fake.services);
    options.show();
    browseFromOptions(options, root + "/second", kCancel);
    EXPECT_EQ(options.lblDATAPath->text(), root + "/first");
    EXPECT_EQ(settings.DefaultDataPath, root + "/first");
    options.cmdButton[kOk]->click();
    EXPECT_EQ(ini(), "[options]\r\ndatapath=/old\r\n");
}

} // namespace
