// The image information dialog: the file opened last, the image's size in pixels and the
// magnification in effect.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class ISystemInfo;
struct SettingsModule;

class frmImageInfo : public QDialog {
    Q_OBJECT
public:
    frmImageInfo(const SettingsModule& settings, const QString& fileTitle,
                 const ISystemInfo& system, QWidget* parent = nullptr);

    QLabel* Label2 = nullptr;
    QLabel* txtFN = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* txtInfo = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* txtMagnify = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

private:
    void Form_Load(const SettingsModule& settings, const QString& fileTitle,
                   const ISystemInfo& system);
};
