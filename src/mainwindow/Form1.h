// The main window: the picture box with the measurement overlay, the comment strip, the menu
// bar whose last three items show the last result, and the picture's pop-up menu. It exists
// from start to end of the program; closing it ends the program.
#pragma once

#include "acquisition/SourceAppCapture.h"
#include "mainwindow/Geometry.h"
#include "mainwindow/LineControl.h"
#include "mainwindow/Measurement.h"
#include "mainwindow/TopRightPlacement.h"
#include "platform/CommonDialog.h"

#include <QImage>

#include <QMainWindow>
#include <QMargins>
#include <QPoint>
#include <QSize>
#include <QString>
#include <memory>

class ContextHelp;
class PictureBox;
class MainWindowKeys;
class QAction;
class QCheckBox;
class QKeySequence;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QTimer;
struct PlatformServices;
struct SettingsModule;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1(SettingsModule& settings, PlatformServices& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence. False when the start-up options dialog was cancelled: the
    // program then ends at once, without showing this window.
    bool Form_Load();

    // Public procedures of the main window.
    void Redraw();
    void SlopeSet() { ::SlopeSet(); }
    // Line geometry of the free-angle cross; the end points are those of guide line
    // `LineIndex` at the cursor (X, Y).
    float Slope(int16_t NW, int16_t NH, float X, float Y) const { return ::Slope(NW, NH, X, Y); }
    float Intercept(int16_t NW, int16_t NH, float X, float Y) const {
        return ::Intercept(NW, NH, X, Y);
    }
    int32_t UpperX(float A, float B, int16_t NW, int16_t NH, float X, float Y,
                   int LineIndex) const {
        return ::UpperX(A, B, NW, NH, X, Y, Measure.CentreHit, LineIndex);
    }
    int32_t UpperY(float A, float B, int16_t NW, int16_t NH, float X, float Y,
                   int LineIndex) const {
        return ::UpperY(A, B, NW, NH, X, Y, Measure.CentreHit, LineIndex);
    }
    int32_t LowerX(float A, float B, int16_t NW, int16_t NH, float X, float Y,
                   int LineIndex) const {
        return ::LowerX(A, B, NW, NH, X, Y, Measure.CentreHit, LineIndex);
    }
    int32_t LowerY(float A, float B, int16_t NW, int16_t NH, float X, float Y,
                   int LineIndex) const {
        return ::LowerY(A, B, NW, NH, X, Y, Measure.CentreHit, LineIndex);
    }
    int32_t XfromY(float Y, float A, float B) const { return ::XfromY(Y, A, B); }
    double YfromX(double X, float A, float B) const { return ::YfromX(X, A, B); }

    // The measurement in progress and the last result (LastDX, LastDY, LastDist).
    MeasureLogic Measure;

    // Controls, under their design names.
    QLabel* Label2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QCheckBox* chkAI = nullptr;
    PictureBox* Picture2 = nullptr;
    // Holds Picture2; scroll bars appear only when the picture is larger than the screen.
    QScrollArea* PictureHost = nullptr;
    // The guide lines (dashed), their copies frozen at the start point (solid) and the
    // rubber band of the small cross (dotted).
    LineControl Line1[2];
    LineControl Line2[2];
    LineControl Line3;
    QTimer* timDC = nullptr;
    QTimer* Timer1 = nullptr;
    CommonDialog CommonDialog1; // open an image
    CommonDialog CommonDialog2; // choose the data file
    // The help pages: the contents on request, and F1 anywhere in the program.
    ContextHelp* Help = nullptr;

    // The menu tree.
    QMenu* File = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* Reroad = nullptr;
    QAction* Topen = nullptr;
    QAction* mnuSnP = nullptr;
    QAction* bar = nullptr;
    QAction* End = nullptr;
    QMenu* Edit = nullptr;
    QAction* Undo = nullptr;
    QAction* mnuRedoraw = nullptr;
    QAction* paste = nullptr;
    QAction* mnuFromSA = nullptr;
    QAction* bar7 = nullptr;
    QAction* mnuNOTEPAD = nullptr;
    QAction* mnuDOPT = nullptr;
    QMenu* RightClick = nullptr;
    QAction* mnuRsource = nullptr;
    QAction* rsave = nullptr;
    QAction* mnurSnP = nullptr;
    QAction* Rpaste = nullptr;
    QAction* rreroad = nullptr;
    QAction* Ropen = nullptr;
    QAction* bar5 = nullptr;
    QAction* mnuRreset = nullptr;
    QAction* bar6 = nullptr;
    QAction* mnuRoption = nullptr;
    QMenu* about = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* bar4 = nullptr;
    QAction* mnuInfo = nullptr;
    QAction* bar3 = nullptr;
    QAction* mnuaboutLQ = nullptr;
    QAction* mnuDist = nullptr;
    QAction* mnudX = nullptr;
    QAction* mnudY = nullptr;

    // The comment as it goes into the data file: exactly ten characters.
    QString CommentField;
    // The row written last in the layouts 0 to 3.
    QString DataLine;

    // Handlers, named after control and event. Positions are twips of the picture box.
    void Form_Resize();
    void Form_Activate();
    void Form_Unload();
    void Form_Terminate();
    void End_Click();
    void Edit_Click();
    void mnuDOPT_Click();
    void mnuRoption_Click();
    void Picture2_MouseUp(int Button, int Shift, float X, float Y);
    void Picture2_MouseMove(int Button, int Shift, float X, float Y);
    void Picture2_MouseDown(int Button, int Shift, float X, float Y);
    void Picture2_DblClick();
    void timDC_Timer();
    void Picture2_Resize();
    void Timer1_Timer();
    void mnuRedoraw_Click();
    void mnuRreset_Click();

    // Commands whose work belongs to the image, measurement, data file, capture and help
    // parts of the program.
    void mnuOpen_Click();
    void Ropen_Click();
    void Reroad_Click();
    void rreroad_Click();
    void paste_Click();
    void Rpaste_Click();
    void Command1_Click();
    void Topen_Click();
    void rsave_Click();
    void mnuSnP_Click();
    void mnurSnP_Click();
    void Undo_Click();
    void mnuNOTEPAD_Click();
    void mnuFromSA_Click();
    void mnuRsource_Click();
    void mnuHelp_Click();
    void mnuInfo_Click();
    void mnuaboutLQ_Click();
    void LaunchSourceApp();
    // Appends the row of the pending record to the data file.
    void FileIO();

    // The comment box.
    void Text1_Change();
    void Text1_GotFocus();
    void Text1_KeyDown(int KeyCode, int Shift);

    // The five commands that save the pending record, enabled and disabled together.
    void SetSaveGroupEnabled(bool enabled);

    // Twips per logical pixel of the screen.
    double TwipsX() const;
    double TwipsY() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void ConnectHandlers();
    void ShowStatus();
    void ApplyMeasure(const MeasureUpdate& update);
    void ApplyPrompt(const StatusPrompt& prompt);
    void ShowOptionsDialog();
    void UpdatePictureHost();
    bool ShowImage(const QImage& image);
    bool LoadImage(bool reportFailure);
    void SetUpDataFile();
    void RestartSourceApp();
    void ApplyCapture(CaptureStep next);

    SettingsModule& settings_;
    PlatformServices& platform_;
    QWidget* central_ = nullptr;
    QPoint popupAt_; // where the pop-up menu opens, screen pixels
    TopRightPlacement placement_;
    MainWindowKeys* keys_ = nullptr;
    std::unique_ptr<SourceAppCapture> capture_;
};
