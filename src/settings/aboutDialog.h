// The about dialog: the product name and the version.
#pragma once

#include <QDialog>

class ISystemInfo;
class QGroupBox;
class QLabel;
class QPushButton;
struct SettingsModule;

class aboutDialog : public QDialog {
    Q_OBJECT
public:
    aboutDialog(const SettingsModule& settings, const ISystemInfo& system,
                QWidget* parent = nullptr);

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* txtVersion = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

private:
    void Form_Load(const SettingsModule& settings, const ISystemInfo& system);
};
