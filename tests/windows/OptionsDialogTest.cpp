// The options dialog on its own: what it shows in start-up and change mode, the lock once the
// data file exists, the sorted format list, the magnification bar, what "&Save", "&OK",
// "&Cancel" and the close box apply and write, and the preparation of the source application
// dialog.
#include "acquisition/frmSourceAPP.h"
#include "settings/DialogParts.h"
#include "settings/frmOPT.h"
#include "support/DialogFixture.h"
#include "support/Form1Fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace testing_support;

class OptionsDialog : public DialogFixture {
protected:
    frmOPT* open() {
        dialog = std::make_unique<frmOPT>(settings, fake.services);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog.get();
    }

    // Settings as they were before the dialog, to compare with afterwards.
    struct Five {
        int16_t LineWidth, CursorShape, MagStep, DataFormat, SourceAppEnabled;
        bool operator==(const Five&) const = default;
    };
    Five five() const {
        return {settings.LineWidth, settings.CursorShape, settings.MagStep, settings.DataFormat,
                settings.SourceAppEnabled};
    }

    // Changes every one of the five settings in the dialog, as a user would.
    void changeAll(frmOPT* d) {
        d->optPenWidth[3]->click();
        d->optCursor[1]->click();
        d->hsbMagRate->triggerAction(QAbstractSlider::SliderSingleStepAdd); // 2 -> 3
        d->cobFormat->setCurrentIndex(d->cobFormat->findText("delimited by COMMA"));
        if (d->chkSource->isEnabled()) {
            d->chkSource->click();
        }
    }

    std::unique_ptr<frmOPT> dialog;
};

TEST_F(OptionsDialog, StartUpAndChangeModeTextsAndEnabledStates) {
    struct Case {
        const char* name;
        int16_t startupDone;
        int16_t sourceApp;
        int16_t dataFileReady;
        const char* title;
        bool checkBox;
        bool change;        // cmdSource
        bool sourceLabels;  // lblSourceApp, lblAccessKey
        bool formatAndPath; // fraFormat, cobFormat, fraPath, cmdPath, lblDATAPath
    };
    const Case cases[] = {
        {"start-up", 0, 0, 0, "If necessary, Change Option(s)", true, false, false, true},
        {"start-up with source app", 0, 1, 0, "If necessary, Change Option(s)", true, true, true,
         true},
        {"change", 1, 0, 0, "Change Option(s)", false, false, false, true},
        {"change with source app", 1, 1, 0, "Change Option(s)", false, true, true, true},
        {"change after the first save", 1, 0, 1, "Change Option(s)", false, false, false, false},
        {"change with source app after the first save", 1, 1, 1, "Change Option(s)", false, true,
         true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.StartupDone = c.startupDone;
        settings.SourceAppEnabled = c.sourceApp;
        settings.DataFileReady = c.dataFileReady;
        frmOPT* d = open();
        EXPECT_EQ(d->windowTitle(), "Options");
        EXPECT_EQ(d->Label2->text(), c.title);
        EXPECT_EQ(d->chkSource->isEnabled(), c.checkBox);
        EXPECT_EQ(d->chkSource->isChecked(), c.sourceApp == 1);
        EXPECT_EQ(d->cmdSource->isEnabled(), c.change);
        EXPECT_EQ(d->lblSourceApp->isEnabled(), c.sourceLabels);
        EXPECT_EQ(d->lblAccessKey->isEnabled(), c.sourceLabels);
        for (QWidget* w : std::initializer_list<QWidget*>{d->fraFormat, d->cobFormat, d->fraPath,
                                                          d->cmdPath, d->lblDATAPath}) {
            EXPECT_EQ(w->isEnabled(), c.formatAndPath) << w->objectName().toStdString();
        }
        // Line width, cursor shape and magnification can always be changed.
        for (QWidget* w : std::initializer_list<QWidget*>{d->optPenWidth[0], d->optCursor[1],
                                                          d->hsbMagRate, d->cmdButton[0]}) {
            EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        }
        d->cmdButton[2]->click();
    }
}

TEST_F(OptionsDialog, TheCheckBoxEnablesTheSourceControlsOnlyAtStartUp) {
    settings.StartupDone = 0;
    frmOPT* d = open();
    d->chkSource->click();
    EXPECT_TRUE(d->cmdSource->isEnabled());
    EXPECT_TRUE(d->lblSourceApp->isEnabled());
    EXPECT_TRUE(d->lblAccessKey->isEnabled());
    d->chkSource->click();
    EXPECT_FALSE(d->cmdSource->isEnabled());
    EXPECT_FALSE(d->lblSourceApp->isEnabled());
    EXPECT_FALSE(d->lblAccessKey->isEnabled());
}

TEST_F(OptionsDialog, ShowsTheSettingsItOpensWith) {
    settings.LineWidth = 3;
    settings.CursorShape = 2;
    settings.MagStep = 3;
    settings.DataFormat = 4;
    settings.SourceAppEnabled = 1;
    settings.DefaultDataPath = "/srv/measurements";
    settings.SourceAppPath = "/opt/capture/grab";
    settings.AccessKeyNotation = "%pr";
    UpdateSourceAppInfo(settings);
    frmOPT* d = open();
    EXPECT_TRUE(d->optPenWidth[2]->isChecked());
    EXPECT_EQ(d->lineEXAM->LineWidth(), 3);
    EXPECT_TRUE(d->optCursor[2]->isChecked());
    EXPECT_EQ(d->hsbMagRate->value(), 3);
    EXPECT_EQ(d->lblMagRate->text(), "150 %");
    EXPECT_EQ(d->cobFormat->currentText(), "CSV format");
    EXPECT_EQ(d->lblDATAPath->text(), "/srv/measurements");
    EXPECT_EQ(d->lblSourceApp->text(), "App.: GRAB");
    EXPECT_EQ(d->lblAccessKey->text(), "Access Key : <Alt>+PR");
    EXPECT_EQ(settings.MagChanged, 0);

    // Confirming without a change keeps every setting.
    const Five before = five();
    d->cmdButton[1]->click();
    EXPECT_EQ(five(), before);
    EXPECT_EQ(settings.MeasureState, 0);
}

TEST_F(OptionsDialog, FormatListIsSortedWithoutRegardToCaseAndMatchedByText) {
    const char* order[] = {"Column format", "CSV format", "delimited by COMMA",
                           "delimited by SPACE", "delimited by TAB"};
    const int16_t format[] = {1, 4, 3, 2, 0};
    for (int position = 0; position < 5; ++position) {
        SCOPED_TRACE(order[position]);
        frmOPT* d = open();
        ASSERT_EQ(d->cobFormat->count(), 5);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(d->cobFormat->itemText(i), order[i]);
        }
        // Opened on the format chosen before, found by its name.
        EXPECT_EQ(d->cobFormat->currentText(), frmOPT::FormatNames[settings.DataFormat]);
        d->cobFormat->setCurrentIndex(position);
        d->cmdButton[1]->click();
        EXPECT_EQ(settings.DataFormat, format[position]);
    }
}

TEST_F(OptionsDialog, WidthButtonsRedrawTheExampleAtOnceAndApplyOnConfirmation) {
    frmOPT* d = open();
    QTest::mouseClick(d->optPenWidth[3], Qt::LeftButton);
    EXPECT_TRUE(d->optPenWidth[3]->isChecked());
    EXPECT_EQ(d->lineEXAM->LineWidth(), 4);
    EXPECT_EQ(settings.LineWidth, 1);
    d->cmdButton[1]->click();
    EXPECT_EQ(settings.LineWidth, 4);
}

TEST_F(OptionsDialog, TheCursorShapeDecidesTheStateTheMeasurementStartsFrom) {
    const struct {
        int shape;
        int16_t measureState;
    } cases[] = {{0, 0}, {1, -1}, {2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shape);
        settings.CursorShape = int16_t((c.shape + 1) % 3); // start elsewhere
        settings.MeasureState = 7;
        frmOPT* d = open();
        settings.SlopeLocked = 1;
        d->optCursor[c.shape]->click();
        // Choosing the free-angle cross unlocks its slope at once.
        EXPECT_EQ(settings.SlopeLocked, c.shape == 1 ? 0 : 1);
        d->cmdButton[1]->click();
        EXPECT_EQ(settings.CursorShape, c.shape);
        EXPECT_EQ(settings.MeasureState, c.measureState);
    }
}

// The scroll bar's parts, in its own coordinates.
QRect scrollBarPart(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

TEST_F(OptionsDialog, MagnificationIsTakenWhenTheBarSettlesNotWhileTheThumbIsDragged) {
    frmOPT* d = open();
    QScrollBar* bar = d->hsbMagRate;
    ASSERT_EQ(bar->value(), 2);

    // An arrow click settles at once.
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      scrollBarPart(bar, QStyle::SC_ScrollBarAddLine).center());
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(d->lblMagRate->text(), "150 %");
    EXPECT_EQ(settings.MagChanged, 1);
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      scrollBarPart(bar, QStyle::SC_ScrollBarSubLine).center());
    EXPECT_EQ(d->lblMagRate->text(), "100 %");
    EXPECT_EQ(settings.MagChanged, 0); // back at the magnification in force

    // Dragging the thumb to the far end changes nothing until it is released.
    const QPoint grip = scrollBarPart(bar, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseMove(bar, QPoint(bar->width() - 2, grip.y()));
    EXPECT_EQ(bar->sliderPosition(), 4);
    EXPECT_EQ(d->lblMagRate->text(), "100 %");
    EXPECT_EQ(settings.MagChanged, 0);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() - 2, grip.y()));
    EXPECT_EQ(d->lblMagRate->text(), "200 %");
    EXPECT_EQ(settings.MagChanged, 1);

    // The arrow keys move it the way they point.
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(d->lblMagRate->text(), "150 %");
    QTest::keyClick(bar, Qt::Key_Left);
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(d->lblMagRate->text(), "50 %");
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Left);

    d->cmdButton[1]->click();
    EXPECT_EQ(settings.MagStep, 1);
}

TEST_F(OptionsDialog, OkAppliesTheFiveForThisRunAndWritesNothing) {
    settings.StartupDone = 0;
    ASSERT_TRUE(WriteBytes(settings.IniPath, "[options]\nMagRate=2\n"));
    frmOPT* d = open();
    changeAll(d);
    d->cmdButton[1]->click();
    EXPECT_EQ(five(), (Five{4, 1, 3, 3, 1}));
    EXPECT_EQ(settings.MeasureState, -1);
    EXPECT_EQ(settings.OptionsCancelled, 0);
    EXPECT_EQ(ini(), "[options]\nMagRate=2\n");
    EXPECT_FALSE(d->isVisible());
}

TEST_F(OptionsDialog, SaveWritesExactlyTheFiveOptionsEntries) {
    const struct {
        const char* name;
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"no settings file", "",
         "[options]\nsloped= 1\nmagrate= 3\npenwidth= 4\nusesourceapp= 0\ndelimiter= 3\n"},
        // Other entries, "datapath" and section "source app" stay as they were; keys written
        // in another spelling keep it; new keys follow the section's last line.
        {"a file of another hand",
         "; mine\r\n[Options]\r\nMagRate=2\r\ndatapath=/srv/data\r\nColour=blue\r\n\r\n"
         "[source app]\r\napp=/opt/capture/grab\r\nkey=%pr\r\n",
         "; mine\r\n[Options]\r\nMagRate= 3\r\ndatapath=/srv/data\r\nColour=blue\r\n"
         "sloped= 1\r\npenwidth= 4\r\nusesourceapp= 0\r\ndelimiter= 3\r\n\r\n"
         "[source app]\r\napp=/opt/capture/grab\r\nkey=%pr\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(settings.IniPath);
        if (!c.before.isEmpty()) {
            ASSERT_TRUE(WriteBytes(settings.IniPath, c.before));
        }
        LoadSettings(settings);
        settings.StartupDone = 1;
        frmOPT* d = open();
        changeAll(d); // the check box cannot be changed after start-up
        d->cmdButton[0]->click();
        EXPECT_EQ(ini(), c.after);
        EXPECT_EQ(five(), (Five{4, 1, 3, 3, 0}));
    }
}

TEST_F(OptionsDialog, CancelAppliesNothingButTheImmediateEffectsStay) {
    settings.StartupDone = 0;
    settings.SlopeLocked = 1;
    settings.OptionsCancelled = 0;
    const Five before = five();
    frmOPT* d = open();
    changeAll(d);
    EXPECT_EQ(settings.SlopeLocked, 0); // the free-angle cross was chosen
    EXPECT_EQ(settings.MagChanged, 1);  // the bar was moved
    d->cmdButton[2]->click();
    EXPECT_EQ(five(), before);
    EXPECT_EQ(settings.OptionsCancelled, 1);
    EXPECT_EQ(settings.SlopeLocked, 0);
    EXPECT_EQ(settings.MagChanged, 1);
    EXPECT_FALSE(QFile::exists(settings.IniPath));
}

TEST_F(OptionsDialog, EnterIsOkEscIsCancelAndTheCloseBoxAppliesNothing) {
    // Enter.
    frmOPT* d = open();
    d->optPenWidth[1]->click();
    QTest::keyClick(d, Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.LineWidth, 2);
    EXPECT_EQ(settings.OptionsCancelled, 0);

    // Esc.
    d = open();
    d->optPenWidth[2]->click();
    QTest::keyClick(d, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.LineWidth, 2);
    EXPECT_EQ(settings.OptionsCancelled, 1);

    // The close box leaves the cancel flag as it was, whatever it was.
    for (int16_t flag : {int16_t(0), int16_t(1)}) {
        settings.OptionsCancelled = flag;
        d = open();
        d->optPenWidth[3]->click();
        d->close();
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(settings.LineWidth, 2);
        EXPECT_EQ(settings.OptionsCancelled, flag);
    }
    EXPECT_FALSE(QFile::exists(settings.IniPath));
}

TEST_F(OptionsDialog, ChangePreparesTheSourceApplicationDialogAndShowsWhatItLeft) {
    settings.SourceAppEnabled = 1;
    settings.SourceAppPath = "/opt/capture/grab";
    settings.AccessKeyNotation = "^pr";
    settings.NoWait = 1;
    settings.NoWaitDelay = 750;
    UpdateSourceAppInfo(settings);
    settings.SourceAppTaskId =
        fake.processes.Launch(settings.SourceAppPath, {}, nullptr); // running
    for (int16_t startupDone : {int16_t(0), int16_t(1)}) {
        SCOPED_TRACE(startupDone);
        settings.StartupDone = startupDone;
        frmOPT* d = open();
        // A modifier clicked in an earlier, cancelled source application dialog.
        settings.AccessKeyModifier = 2;
        settings.AccessKeyLetters.clear();
        d->lblAccessKey->setText("stale");
        testing_support::whenModal<frmSourceAPP>(
            [](frmSourceAPP* source) { source->Command1[2]->click(); });
        d->cmdSource->click();
        EXPECT_EQ(d->SourceSetup, (SourceAppDialogSetup{2, startupDone == 0, "/opt/capture/grab",
                                                        "PR", "750", true}));
        EXPECT_EQ(settings.AccessKeyLetters, "PR");
        // Afterwards the display texts follow the stored key again.
        EXPECT_EQ(settings.AccessKeyModifier, 1);
        EXPECT_EQ(d->lblSourceApp->text(), "App.: GRAB");
        EXPECT_EQ(d->lblAccessKey->text(), "Access Key : <Ctrl>+PR");
        d->cmdButton[2]->click();
    }
}

TEST_F(OptionsDialog, OpensWithOnlyValuesItCanShow) {
    // A settings file with every value out of range is mended when it is read.
    ASSERT_TRUE(WriteBytes(settings.IniPath, "[options]\ndelimiter=9\nMagRate=0\nPenWidth=-3\n"
                                             "Sloped=7\nUseSourceApp=5\ndatapath=\n"));
    LoadSettings(settings);
    frmOPT* d = open();
    EXPECT_TRUE(d->optPenWidth[0]->isChecked());
    EXPECT_TRUE(d->optCursor[0]->isChecked());
    EXPECT_EQ(d->hsbMagRate->value(), 2);
    EXPECT_EQ(d->lblMagRate->text(), "100 %");
    EXPECT_EQ(d->cobFormat->currentText(), "delimited by TAB");
    EXPECT_FALSE(d->chkSource->isChecked());
    d->cmdButton[2]->click();

    // Settings that were never read at all (every number 0) open it as well.
    settings = SettingsModule{};
    settings.IniPath = xdg.iniPath();
    d = open();
    EXPECT_TRUE(d->optPenWidth[0]->isChecked());
    EXPECT_EQ(d->lblMagRate->text(), "100 %");
    d->cmdButton[1]->click();
    EXPECT_EQ(five(), (Five{1, 0, 2, 0, 0}));
}

TEST_F(OptionsDialog, CentredOnTheScreenAtAboutItsDesignSize) {
    fake.system.screen = QRect(100, 50, 1600, 900);
    frmOPT* d = open();
    EXPECT_EQ(d->x(), 100 + 800 - d->width() / 2);
    EXPECT_EQ(d->y(), 50 + 450 - d->height() / 2);
    // 6315 x 6630 twips are 421 x 442 pixels at 96 dpi; the texts of this desktop's font may
    // need a little more.
    EXPECT_GE(d->width(), 421);
    EXPECT_GE(d->height(), 442);
    EXPECT_LE(d->width(), 421 * 5 / 4);
    EXPECT_LE(d->height(), 442 * 5 / 4);
}

} // namespace
