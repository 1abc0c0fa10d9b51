// The options dialog: line width, cursor shape, magnification, data format and the source
// application mode, edited as pending values and applied by "&Save" or "&OK"; "&Cancel"
// applies none of them. A few things happen at once and stay even after "&Cancel": choosing
// the free-angle cross unlocks its slope, moving the magnification bar asks the main window to
// show the picture again, and the two sub-dialogs ("&Browse", "C&hange") apply their own
// choices.
#pragma once

#include "settings/SourceAppSetup.h"

#include <QDialog>
#include <QString>
#include <cstdint>

class ElidedLabel;
class ExampleLine;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
struct PlatformServices;
struct SettingsModule;

class frmOPT : public QDialog {
    Q_OBJECT
public:
    frmOPT(SettingsModule& settings, PlatformServices& platform, QWidget* parent = nullptr);

    // Controls, under their design names.
    QLabel* Label2 = nullptr;
    QGroupBox* frameWidth = nullptr;
    QRadioButton* optPenWidth[4] = {};
    QLabel* Label1 = nullptr;
    ExampleLine* lineEXAM = nullptr;
    QGroupBox* fraSource = nullptr;
    QCheckBox* chkSource = nullptr;
    ElidedLabel* lblSourceApp = nullptr;
    QLabel* lblAccessKey = nullptr;
    QPushButton* cmdSource = nullptr;
    QGroupBox* fraFormat = nullptr;
    QComboBox* cobFormat = nullptr;
    QGroupBox* frameMesure = nullptr;
    QRadioButton* optCursor[3] = {};
    QGroupBox* Frame1 = nullptr;
    QScrollBar* hsbMagRate = nullptr;
    QLabel* lblMagRate = nullptr;
    QGroupBox* fraPath = nullptr;
    QPushButton* cmdPath = nullptr;
    ElidedLabel* lblDATAPath = nullptr;
    QPushButton* cmdButton[3] = {};

    // The data format names by format number.
    static const QString FormatNames[5];

    // "&Browse": the default data path dialog.
    void cmdPath_Click();
    // "C&hange": prepares and shows the source application dialog.
    void cmdSource_Click();
    // 0 "&Save", 1 "&OK", 2 "&Cancel".
    void cmdButton_Click(int Index);

    // What "C&hange" handed to the source application dialog last.
    SourceAppDialogSetup SourceSetup;

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void Form_Load();
    void optPenWidth_Click(int Index);
    void optCursor_Click(int Index);
    void hsbMagRate_Change();
    void cobFormat_Click();
    void chkSource_Click();
    void EnableSourceControls(int Flag);
    void ShowSourceAppLabels();

    SettingsModule& settings_;
    PlatformServices& platform_;
    int16_t PendingLineWidth = 1;
    int16_t PendingCursorShape = 0;
    int16_t PendingMeasureState = 0;
    int16_t PendingMagStep = 2;
    int16_t PendingDataFormat = 0;
    bool closingByButton_ = false;
};
