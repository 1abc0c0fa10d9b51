// The options dialog: line width, cursor shape, magnification, data format and the source
// application mode, edited as pending values and applied by "&Save" or "&OK".
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
struct SettingsModule;

class frmOPT : public QDialog {
    Q_OBJECT
public:
    frmOPT(SettingsModule& settings, QWidget* parent = nullptr);

    QLabel* Label2 = nullptr;
    QPushButton* cmdButton[3] = {nullptr, nullptr, nullptr};

    // 0 "&Save", 1 "&OK", 2 "&Cancel".
    void cmdButton_Click(int Index);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();

    SettingsModule& settings_;
    int16_t PendingLineWidth = 1;
    int16_t PendingCursorShape = 0;
    int16_t PendingMeasureState = 0;
    int16_t PendingMagStep = 2;
    int16_t PendingDataFormat = 0;
    int16_t PendingSourceApp = 0;
    bool closingByButton_ = false;
};
