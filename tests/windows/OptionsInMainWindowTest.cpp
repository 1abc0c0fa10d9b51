// The options dialog as the main window shows it: at start-up and from the menus, and the five
// values it applies taking effect in the main window at once.
#include "mainwindow/PictureBox.h"
#include "settings/frmOPT.h"
#include "support/Files.h"
#include "support/Form1Fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class OptionsInMainWindow : public Form1Fixture {
protected:
    // Shows the options dialog from the Edit menu and runs `act` on it.
    void options(std::function<void(frmOPT*)> act) {
        bool shown = false;
        whenModal<frmOPT>([&](frmOPT* d) {
            shown = true;
            act(d);
        });
        form->mnuDOPT->trigger();
        EXPECT_TRUE(shown);
    }

    QString writeImage(QSize size) {
        const QString path = xdg.root() + "/picture.bmp";
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    void openImage(QSize size) {
        fake.fileDialogs.answers.push_back(writeImage(size));
        form->mnuOpen->trigger();
        ASSERT_EQ(settings.ImageSource, 1);
    }
};

TEST_F(OptionsInMainWindow, StartUpModeFirstThenChangeMode) {
    form = std::make_unique<Form1>(settings, fake.services);
    QString title;
    bool checkBoxEnabled = false;
    whenModal<frmOPT>([&](frmOPT* d) {
        title = d->Label2->text();
        checkBoxEnabled = d->chkSource->isEnabled();
        d->cmdButton[kOk]->click();
    });
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(title, "If necessary, Change Option(s)");
    EXPECT_TRUE(checkBoxEnabled);

    options([&](frmOPT* d) {
        title = d->Label2->text();
        checkBoxEnabled = d->chkSource->isEnabled();
        d->cmdButton[kCancel]->click();
    });
    EXPECT_EQ(title, "Change Option(s)");
    EXPECT_FALSE(checkBoxEnabled);
}

TEST_F(OptionsInMainWindow, StartsOnASettingsFileWithEveryValueOutOfRange) {
    writeIni("[options]\ndelimiter=-1\nMagRate=9\nPenWidth=0\nSloped=3\nUseSourceApp=2\n"
             "[source app]\nnotwait=4\nnotwaitms=-5\n");
    form = std::make_unique<Form1>(settings, fake.services);
    bool shown = false;
    whenModal<frmOPT>([&](frmOPT* d) {
        shown = true;
        EXPECT_TRUE(d->optPenWidth[0]->isChecked());
        EXPECT_TRUE(d->optCursor[0]->isChecked());
        EXPECT_EQ(d->hsbMagRate->value(), 2);
        EXPECT_EQ(d->lblMagRate->text(), "100 %");
        EXPECT_EQ(d->cobFormat->currentText(), "delimited by TAB");
        EXPECT_FALSE(d->chkSource->isChecked());
        d->cmdButton[kOk]->click();
    });
    ASSERT_TRUE(form->Form_Load());
    EXPECT_TRUE(shown);
}

TEST_F(OptionsInMainWindow, MagnificationThreeShowsThePictureAt150PercentAfterOk) {
    ASSERT_TRUE(start());
    const QByteArray before = ReadBytes(settings.IniPath);
    openImage(QSize(100, 80));
    ASSERT_EQ(form->Picture2->size(), QSize(100, 80));

    QString shown;
    options([&](frmOPT* d) {
        d->hsbMagRate->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        shown = d->lblMagRate->text();
        d->cmdButton[kOk]->click();
    });
    EXPECT_EQ(shown, "150 %");
    EXPECT_EQ(settings.MagStep, 3);
    EXPECT_EQ(form->Picture2->size(), QSize(150, 120));
    EXPECT_EQ(settings.MagChanged, 0);
    EXPECT_EQ(ReadBytes(settings.IniPath), before); // written only by "&Save"

    // Moving the bar and cancelling reads the picture again at the magnification in force
    // (here the file has changed meanwhile, which shows that it was read again).
    writeImage(QSize(60, 40));
    options([&](frmOPT* d) {
        d->hsbMagRate->triggerAction(QAbstractSlider::SliderToMaximum);
        d->cmdButton[kCancel]->click();
    });
    EXPECT_EQ(settings.MagStep, 3);
    EXPECT_EQ(settings.MagChanged, 0);
    EXPECT_EQ(form->Picture2->size(), QSize(90, 60));
}

TEST_F(OptionsInMainWindow, LineWidthReachesEveryLineShapeAndCancelKeepsIt) {
    ASSERT_TRUE(start());
    options([](frmOPT* d) {
        d->optPenWidth[2]->click();
        d->cmdButton[kOk]->click();
    });
    EXPECT_EQ(settings.LineWidth, 3);
    EXPECT_EQ(form->Picture2->LineWidth(), 3); // one width for all five shapes

    options([](frmOPT* d) {
        d->optPenWidth[0]->click();
        d->cmdButton[kCancel]->click();
    });
    EXPECT_EQ(form->Picture2->LineWidth(), 3);
}

TEST_F(OptionsInMainWindow, CursorShapeTakesEffectWithItsPrompt) {
    ASSERT_TRUE(start());
    options([](frmOPT* d) {
        d->optCursor[1]->click();
        d->cmdButton[kOk]->click();
    });
    EXPECT_EQ(settings.CursorShape, 1);
    EXPECT_EQ(settings.MeasureState, -1);
    EXPECT_EQ(form->windowTitle(), "LQ クリックで傾きをロック");

    options([](frmOPT* d) {
        d->optCursor[2]->click();
        d->cmdButton[kOk]->click();
    });
    EXPECT_EQ(settings.CursorShape, 2);
    EXPECT_EQ(settings.MeasureState, 0);
    EXPECT_EQ(form->windowTitle(), "LQ 始点をクリック");
}

TEST_F(OptionsInMainWindow, FormatAndPathAreLockedOnceTheDataFileExists) {
    ASSERT_TRUE(start());
    settings.DataFileReady = 1;
    options([](frmOPT* d) {
        EXPECT_FALSE(d->cobFormat->isEnabled());
        EXPECT_FALSE(d->cmdPath->isEnabled());
        EXPECT_TRUE(d->optPenWidth[3]->isEnabled());
        EXPECT_TRUE(d->optCursor[2]->isEnabled());
        EXPECT_TRUE(d->hsbMagRate->isEnabled());
        d->cmdButton[kCancel]->click();
    });
}

} // namespace
