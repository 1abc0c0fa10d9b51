// The source application dialog: the program to start, its access key (Shift, Ctrl or Alt
// and one or two letters) and whether a capture waits for the program, edited as pending
// values; "&OK" applies them for this run, "&Save" also writes them to lq.ini.
#pragma once

#include "platform/CommonDialog.h"
#include "settings/SourceAppSetup.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct PlatformServices;
struct SettingsModule;

class frmSourceAPP : public QDialog {
    Q_OBJECT
public:
    // Loads the dialog with its controls prepared from the settings, ready for exec(): the
    // modifier of AccessKeyModifier selected, the program path, the key letters (also put
    // into AccessKeyLetters), the delay and the don't-wait box. "&Browse" works at start-up
    // and whenever the source application is not running; while it runs, its program cannot
    // be changed.
    frmSourceAPP(SettingsModule& settings, PlatformServices& platform, QWidget* parent = nullptr);

    // The options dialog's two labels, which "&Save" and "&OK" rewrite with the new program
    // name and access key. Optional; a label that has gone meanwhile is left alone.
    void SetOptionLabels(QLabel* lblSourceApp, QLabel* lblAccessKey);

    // How the controls were prepared when the dialog was loaded.
    const SourceAppDialogSetup& Setup() const { return setup_; }

    // The modifier index of a keystroke notation: 0 for "+", 1 for "^", 2 for "%"; the last
    // modifier character wins, and without one it is 0.
    static int16_t getSK(const QString& KeyStroke);

    // Controls, under their design names.
    QGroupBox* Frame1 = nullptr;
    QLabel* Label2 = nullptr; // the program path
    QPushButton* cmdChenge = nullptr;
    QGroupBox* Frame4 = nullptr;
    QCheckBox* chkWait = nullptr;
    QLabel* lblWait1 = nullptr;
    QLineEdit* txtWait = nullptr;
    QLabel* lblwait2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optShitKey[3] = {nullptr, nullptr, nullptr}; // Shift, Ctrl, Alt
    QLineEdit* txtKey = nullptr;
    QPushButton* Command1[3] = {nullptr, nullptr, nullptr}; // "&Save", "&OK", "&Cancel"
    CommonDialog cdlSourceApp;

    // What the dialog edits, committed only by "&Save" or "&OK".
    QString PendingApp;
    QString PendingKey;
    int16_t PendingNotWait = 0;
    int16_t PendingNotWaitMs = 0;

    // Handlers, named after control and event.
    void optShitKey_Click(int Index);
    void chkWait_Click();
    void txtKey_Change();
    void txtWait_Change();
    void cmdChenge_Click();
    void Command1_Click(int Index); // 0 "&Save", 1 "&OK", 2 "&Cancel"

protected:
    void reject() override;

private:
    void BuildControls();
    void ConnectHandlers();
    void Form_Load();
    void PrepareControls();
    void PlaceAtDesignPosition();
    void SetTextQuietly(QLineEdit* box, const QString& text);

    SettingsModule& settings_;
    SourceAppDialogSetup setup_;
    PlatformServices& platform_;
    QPointer<QLabel> optionsSourceApp_;
    QPointer<QLabel> optionsAccessKey_;
    bool settingText_ = false; // the handlers' own changes of a text box are not input
};
