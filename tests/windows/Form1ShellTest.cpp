// The main window shell: start-up, menu tree and states, placement, pop-up menu, closing.
#include "mainwindow/Form1.h"
#include "mainwindow/PictureBox.h"
#include "settings/SettingsModule.h"
#include "settings/frmOPT.h"
#include "support/Form1Fixture.h"

#include <QScrollArea>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace testing_support;

class Form1Shell : public Form1Fixture {};

struct ItemState {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;
    bool visible;
};

// Every item of the menu tree after a start-up without the source application.
const ItemState kItemsAfterStartup[] = {
    {"mnuOpen", "&Road image file", "Ctrl+O", true, true},
    {"Reroad", "Reroad image", "Ctrl+R", false, true},
    {"Topen", "&Save data", "Ctrl+S", false, true},
    {"mnuSnP", "Save and paste from ...", "Ctrl+N", false, false},
    {"End", "Exit", "", true, true},
    {"Undo", "&Undo (delete a line of data)", "Ctrl+Z", false, true},
    {"mnuRedoraw", "Redraw image", "Ctrl+E", true, true},
    {"paste", "&Paste Image", "Ctrl+V", true, true},
    {"mnuFromSA", "Paste image from Source &APP.", "Ctrl+A", true, false},
    {"mnuNOTEPAD", "Edit &data file", "Ctrl+D", false, true},
    {"mnuDOPT", "&Options", "", true, true},
    {"mnuRsource", "From source app.", "", true, false},
    {"rsave", "Save data", "", false, true},
    {"mnurSnP", "Save data and paste from ...", "", false, false},
    {"Rpaste", "Paste image", "", true, true},
    {"rreroad", "Reroad image", "", false, true},
    {"Ropen", "Road image", "", true, true},
    {"mnuRreset", "Redraw image", "", true, true},
    {"mnuRoption", "Option", "", true, true},
    {"mnuHelp", "Help", "", true, true},
    {"mnuInfo", "Infomation of image", "", false, true},
    {"mnuaboutLQ", "&About Linealis", "", true, true},
    {"mnuDist", "Dist.", "", true, true},
    {"mnudX", "dX", "", true, true},
    {"mnudY", "dY", "", true, true},
};

QStringList names(const QList<QAction*>& actions) {
    QStringList result;
    for (const QAction* action : actions) {
        result << action->objectName();
    }
    return result;
}

TEST_F(Form1Shell, MenuTreeHasEveryItemWithItsCaptionShortcutAndState) {
    ASSERT_TRUE(start());
    for (const ItemState& expected : kItemsAfterStartup) {
        SCOPED_TRACE(expected.name);
        auto* action = form->findChild<QAction*>(QString::fromLatin1(expected.name));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(expected.caption));
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(expected.shortcut)));
        EXPECT_EQ(action->isVisible(), expected.visible);
        if (expected.visible) { // the toolkit reports every hidden item as disabled
            EXPECT_EQ(action->isEnabled(), expected.enabled);
        }
    }
    EXPECT_FALSE(form->Command1->isEnabled());
}

TEST_F(Form1Shell, MenusHoldTheirItemsInOrderAndResultsStandRightOfAbout) {
    ASSERT_TRUE(start());
    const QList<QAction*> top = form->menuBar()->actions();
    ASSERT_EQ(top.size(), 6);
    EXPECT_EQ(top[0]->menu(), form->File);
    EXPECT_EQ(top[1]->menu(), form->Edit);
    EXPECT_EQ(top[2]->menu(), form->about);
    EXPECT_EQ(top[3], form->mnuDist);
    EXPECT_EQ(top[4], form->mnudX);
    EXPECT_EQ(top[5], form->mnudY);
    EXPECT_EQ(form->File->title(), "&File");
    EXPECT_EQ(form->Edit->title(), "&Edit");
    EXPECT_EQ(form->about->title(), "&About");

    EXPECT_EQ(names(form->File->actions()),
              QStringList({"mnuOpen", "Reroad", "Topen", "mnuSnP", "bar", "End"}));
    EXPECT_EQ(names(form->Edit->actions()), QStringList({"Undo", "mnuRedoraw", "paste", "mnuFromSA",
                                                         "bar7", "mnuNOTEPAD", "mnuDOPT"}));
    EXPECT_EQ(names(form->RightClick->actions()),
              QStringList({"mnuRsource", "rsave", "mnurSnP", "Rpaste", "rreroad", "Ropen", "bar5",
                           "mnuRreset", "bar6", "mnuRoption"}));
    EXPECT_EQ(names(form->about->actions()),
              QStringList({"mnuHelp", "bar4", "mnuInfo", "bar3", "mnuaboutLQ"}));
    for (const char* separator : {"bar", "bar7", "bar5", "bar6", "bar4", "bar3"}) {
        EXPECT_TRUE(form->findChild<QAction*>(separator)->isSeparator()) << separator;
    }
    // The pop-up menu is never part of the menu bar.
    EXPECT_EQ(form->RightClick->title(), "Right");
    EXPECT_FALSE(form->menuBar()->actions().contains(form->RightClick->menuAction()));
}

TEST_F(Form1Shell, CommentStripHasItsCaptions) {
    ASSERT_TRUE(start());
    EXPECT_EQ(form->Label2->text(), "Comment:");
    EXPECT_EQ(form->Command1->text(), "&save");
    EXPECT_EQ(form->chkAI->text(), "&Auto Increment");
    EXPECT_TRUE(form->Text1->text().isEmpty());
    EXPECT_EQ(form->CommentField, QString(10, ' '));
    // Nothing of the strip overlaps the next control.
    EXPECT_LE(form->Label2->geometry().right(), form->Text1->geometry().left());
    EXPECT_LE(form->Text1->geometry().right(), form->Command1->geometry().left());
    EXPECT_LE(form->Command1->geometry().right(), form->chkAI->geometry().left());
    EXPECT_LE(form->chkAI->geometry().bottom(), form->PictureHost->geometry().top());
}

TEST_F(Form1Shell, StartupReadsSettingsAndSetsTimersAndSharedState) {
    writeIni("[source app]\napp=/opt/capture/grab\nkey=%p\nnotwait=1\nnotwaitms=700\n"
             "[options]\nMagRate=3\nPenWidth=2\nSloped=2\ndelimiter=4\nUseSourceApp=0\n");
    settings.ImageSource = 2;
    settings.SlopeLocked = 1;
    settings.DataFileReady = 1;
    fake.system.doubleClickTime = 321;
    ASSERT_TRUE(start());
    EXPECT_EQ(form->Timer1->interval(), 700);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->timDC->interval(), 321);
    EXPECT_FALSE(form->timDC->isActive());
    EXPECT_EQ(settings.MagStep, 3);
    EXPECT_EQ(settings.LineWidth, 2);
    EXPECT_EQ(settings.CursorShape, 2);
    EXPECT_EQ(settings.DataFormat, 4);
    EXPECT_EQ(settings.SourceAppName, "grab");
    EXPECT_EQ(settings.AccessKeyText, "<Alt>+P");
    EXPECT_EQ(settings.VersionText, "ver.2.13b");
    EXPECT_EQ(settings.StartupDone, 1);
    EXPECT_EQ(settings.ImageSource, 0);
    EXPECT_EQ(settings.SlopeLocked, 0);
    EXPECT_EQ(settings.DataFileReady, 0);
    EXPECT_EQ(settings.OptionsCancelled, 0);
    EXPECT_TRUE(fake.processes.launched.isEmpty());
}

TEST_F(Form1Shell, CaptionPromptsForTheFirstClickByCursorShape) {
    const struct {
        QByteArray sloped;
        QString caption;
    } cases[] = {
        {"0", "LQ 始点をクリック"}, {"1", "LQ クリックで傾きを固定"}, {"2", "LQ 始点をクリック"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sloped.toStdString());
        writeIni("[options]\nSloped=" + c.sloped + "\n");
        ASSERT_TRUE(start());
        EXPECT_EQ(form->windowTitle(), c.caption);
    }
}

TEST_F(Form1Shell, ConfirmingTheStartupDialogSetsTheMeasureStateForTheShape) {
    writeIni("[options]\nSloped=1\n");
    ASSERT_TRUE(start(kOk));
    EXPECT_EQ(settings.MeasureState, -1);
    writeIni("[options]\nSloped=0\n");
    ASSERT_TRUE(start(kSave));
    EXPECT_EQ(settings.MeasureState, 0);
}

TEST_F(Form1Shell, CancelAtStartupEndsBeforeTheWindowShowsOrAnythingLaunches) {
    writeIni("[options]\nUseSourceApp=1\n[source app]\napp=/opt/capture/grab\n");
    EXPECT_FALSE(start(kCancel));
    EXPECT_EQ(settings.OptionsCancelled, 1);
    EXPECT_EQ(settings.StartupDone, 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(fake.processes.launched.isEmpty());
    EXPECT_TRUE(fake.messages.shown.isEmpty());
}

TEST_F(Form1Shell, SourceApplicationModeSwapsFileCommandsForCaptureAndLaunches) {
    writeIni("[options]\nUseSourceApp=1\n[source app]\napp=/opt/my tools/grab shot\n");
    ASSERT_TRUE(start());
    for (QAction* hidden :
         {form->paste, form->Rpaste, form->Reroad, form->rreroad, form->Ropen, form->mnuOpen}) {
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    }
    for (QAction* shown : {form->mnuRsource, form->mnuFromSA, form->mnuSnP, form->mnurSnP}) {
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    }
    // The capture commands work at once; the save-and-paste commands wait for a result.
    EXPECT_TRUE(form->mnuRsource->isEnabled());
    EXPECT_TRUE(form->mnuFromSA->isEnabled());
    EXPECT_FALSE(form->mnuSnP->isEnabled());
    EXPECT_FALSE(form->mnurSnP->isEnabled());
    ASSERT_EQ(fake.processes.launched.size(), 1);
    EXPECT_EQ(fake.processes.launched[0].program, "/opt/my tools/grab shot");
    EXPECT_TRUE(fake.processes.launched[0].arguments.isEmpty());
    EXPECT_NE(settings.SourceAppTaskId, 0);
    EXPECT_TRUE(fake.messages.shown.isEmpty());
}

TEST_F(Form1Shell, SourceApplicationThatCannotStartIsReportedOnceAndTheProgramGoesOn) {
    writeIni("[options]\nUseSourceApp=1\n"); // no "app" entry: the path reads "lq.ini"
    fake.processes.failLaunch = true;
    ASSERT_TRUE(start());
    EXPECT_EQ(settings.SourceAppTaskId, 0);
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_TRUE(fake.messages.shown[0].text.contains("lq.ini"));
    EXPECT_EQ(fake.messages.shown[0].title, "Linealis");
    EXPECT_TRUE(form->mnuFromSA->isVisible());
}

TEST_F(Form1Shell, WindowSitsAtTheTopRightOfTheScreenAfterEveryResize) {
    ASSERT_TRUE(start());
    EXPECT_EQ(form->frameGeometry().right(), screen().right());
    EXPECT_EQ(form->frameGeometry().top(), screen().top());
    form->resize(300, 200);
    EXPECT_EQ(form->frameGeometry().right(), screen().right());
    EXPECT_EQ(form->frameGeometry().top(), screen().top());
}

TEST_F(Form1Shell, WindowLargerThanTheScreenShrinksToItFirst) {
    fake.system.screen = QRect(0, 0, 500, 300);
    ASSERT_TRUE(start());
    EXPECT_EQ(form->frameGeometry().width(), 500);
    EXPECT_EQ(form->frameGeometry().height(), 300);
    EXPECT_EQ(form->frameGeometry().right(), 499);
    EXPECT_EQ(form->frameGeometry().top(), 0);
}

TEST_F(Form1Shell, MinimisingDoesNotMoveTheWindowAndRestoringPlacesItAgain) {
    ASSERT_TRUE(start());
    form->move(10, 20);
    form->setWindowState(Qt::WindowMinimized);
    form->Form_Resize();
    EXPECT_EQ(form->pos(), QPoint(10, 20));
    form->setWindowState(Qt::WindowNoState);
    EXPECT_EQ(form->frameGeometry().right(), screen().right());
    EXPECT_EQ(form->frameGeometry().top(), screen().top());
}

TEST_F(Form1Shell, ACaptureShownInSourceApplicationModeKeepsTheWindowWhereItIs) {
    ASSERT_TRUE(start());
    settings.SourceAppEnabled = 1;
    settings.ImageSource = 2;
    form->move(10, 20);
    form->Form_Resize();
    EXPECT_EQ(form->pos(), QPoint(10, 20));
    const QSize before = form->size();
    form->Picture2->resize(100, 80); // the picture's size change does not reach the window
    EXPECT_EQ(form->size(), before);
    EXPECT_EQ(form->pos(), QPoint(10, 20));

    settings.ImageSource = 1; // a file image: the window follows again
    form->Form_Resize();
    EXPECT_EQ(form->frameGeometry().right(), screen().right());
}

TEST_F(Form1Shell, WindowFollowsThePictureBoxSize) {
    ASSERT_TRUE(start());
    // 15 twips per pixel: at least 6220 twips wide, else box + 210; box height + 1212. A
    // comment strip wider than designed (this platform's fonts) widens the narrowest window.
    const int strip = form->chkAI->geometry().right() + 1 + form->PictureHost->x();
    form->Picture2->resize(200, 100);
    const int frame = form->frameGeometry().width() - form->width();
    EXPECT_EQ(form->frameGeometry().width(), std::max(415, strip + frame));
    EXPECT_EQ(form->frameGeometry().height(), 181);
    form->Picture2->resize(700, 500);
    EXPECT_EQ(form->frameGeometry().width(), 714);
    EXPECT_EQ(form->frameGeometry().height(), 581);
    EXPECT_EQ(form->frameGeometry().right(), screen().right());
}

TEST_F(Form1Shell, PopupPasteFollowsEitherBitmapFormatButTheEditMenuOnlyTheBitmap) {
    ASSERT_TRUE(start());
    const struct {
        bool bitmap;
        bool dib;
        bool popupEnabled;
        bool editEnabled;
    } cases[] = {{false, false, false, false},
                 {true, false, true, true},
                 {false, true, true, false},
                 {true, true, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bitmap << c.dib);
        fake.clipboard.bitmap = c.bitmap;
        fake.clipboard.dib = c.dib;
        bool popupEnabled = !c.popupEnabled;
        whilePopupOpen([&](QMenu* menu) {
            EXPECT_EQ(menu, form->RightClick);
            popupEnabled = form->Rpaste->isEnabled();
        });
        form->Picture2_MouseUp(2, 0, 150, 150);
        EXPECT_EQ(popupEnabled, c.popupEnabled);
        form->Edit_Click();
        EXPECT_EQ(form->paste->isEnabled(), c.editEnabled);
    }
}

TEST_F(Form1Shell, EveryPopupResetsTheMeasurementEvenWhenDismissed) {
    writeIni("[options]\nSloped=1\n");
    ASSERT_TRUE(start());
    settings.MeasureState = 1;
    settings.SlopeLocked = 1;
    whilePopupOpen([](QMenu*) {});
    form->Picture2_MouseUp(4, 0, 0, 0); // the middle button opens it too
    EXPECT_EQ(settings.MeasureState, -1);
    EXPECT_EQ(settings.SlopeLocked, 0);
    EXPECT_EQ(form->windowTitle(), "LQ クリックで傾きをロック");

    // A left release opens nothing and resets nothing.
    settings.MeasureState = 1;
    form->Picture2_MouseUp(1, 0, 0, 0);
    EXPECT_EQ(settings.MeasureState, 1);
}

TEST_F(Form1Shell, RightReleaseOverThePictureOpensThePopupThere) {
    ASSERT_TRUE(start());
    settings.MeasureState = 2;
    QPoint opened;
    whilePopupOpen([&](QMenu* menu) { opened = menu->pos(); });
    QTest::mouseClick(form->Picture2, Qt::RightButton, {}, QPoint(40, 30));
    EXPECT_EQ(opened, form->Picture2->mapToGlobal(QPoint(40, 30)));
    EXPECT_EQ(settings.MeasureState, 0);
    EXPECT_EQ(form->windowTitle(), "LQ 始点をクリック");
}

TEST_F(Form1Shell, OptionsCommandResetsShowsTheDialogAndPromptsForTheNewState) {
    ASSERT_TRUE(start());
    settings.MeasureState = 2;
    answerOptionsDialog(kOk);
    form->mnuDOPT->trigger();
    EXPECT_EQ(settings.MeasureState, 0);
    EXPECT_EQ(form->windowTitle(), "LQ 始点をクリック");

    settings.CursorShape = 1; // as if chosen in the dialog
    settings.MeasureState = 1;
    answerOptionsDialog(kCancel);
    form->mnuRoption->trigger();
    EXPECT_EQ(settings.MeasureState, -1);
    EXPECT_EQ(form->windowTitle(), "LQ クリックで傾きをロック");
}

TEST_F(Form1Shell, ActivationConsumesTheMagnificationChange) {
    ASSERT_TRUE(start());
    settings.MagChanged = 1;
    form->Form_Activate();
    EXPECT_EQ(settings.MagChanged, 0);
}

TEST_F(Form1Shell, ExitClosesTheWindowWithoutAReminderInNormalMode) {
    ASSERT_TRUE(start());
    form->End->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(fake.messages.shown.isEmpty());
    EXPECT_TRUE(fake.desktop.activated.isEmpty());
}

TEST_F(Form1Shell, ClosingInSourceApplicationModeRemindsOnceAndClosesAnyway) {
    writeIni("[options]\nUseSourceApp=1\n[source app]\napp=/opt/capture/grab\n");
    ASSERT_TRUE(start());
    fake.desktop.windows.insert(settings.SourceAppTaskId);
    form->close();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_EQ(fake.messages.shown[0].text, "Please close the source app.");
    EXPECT_EQ(fake.desktop.activated, QList<int32_t>{settings.SourceAppTaskId});

    // The source application already gone: the window still closes.
    form = nullptr;
    fake.messages.shown.clear();
    fake.desktop.windows.clear();
    ASSERT_TRUE(start());
    form->End_Click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(fake.messages.shown.size(), 1);
}

TEST_F(Form1Shell, DelayedPasteTimerStopsItselfFocusesAndResets) {
    ASSERT_TRUE(start());
    settings.MeasureState = 2;
    form->Timer1->start(10000);
    form->Timer1_Timer();
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(fake.desktop.ownFocusCount, 1);
    EXPECT_EQ(settings.MeasureState, 0);
}

} // namespace
