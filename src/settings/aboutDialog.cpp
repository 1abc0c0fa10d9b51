#include "settings/aboutDialog.h"

#include "platform/SystemInfo.h"
#include "settings/SettingsModule.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

aboutDialog::aboutDialog(const SettingsModule& settings, const ISystemInfo& system, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Linealis"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    const double tx = system.TwipsPerPixelX();
    const double ty = system.TwipsPerPixelY();
    const auto x = [tx](int twips) { return int(std::lround(twips / tx)); };
    const auto y = [ty](int twips) { return int(std::lround(twips / ty)); };

    Frame1 = new QGroupBox(this); // a frame without a caption
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setMinimumSize(x(4575), y(2415));

    Label1 = new QLabel(QStringLiteral("Linealis"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont large = Label1->font();
    large.setPointSizeF(large.pointSizeF() * 2.0);
    large.setBold(true);
    Label1->setFont(large);

    txtVersion = new QLabel(QStringLiteral("ver.?.??"), Frame1);
    txtVersion->setObjectName(QStringLiteral("txtVersion"));
    txtVersion->setMinimumWidth(x(1455));

    // Enter and Esc both close the dialog through "&OK".
    Command1 = new QPushButton(QStringLiteral("&OK"), Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setMinimumSize(x(975), y(495));
    connect(Command1, &QPushButton::clicked, this, &aboutDialog::Command1_Click);

    auto* inner = new QGridLayout(Frame1);
    inner->setContentsMargins(x(300 - 0), y(360), x(300), y(2415 - 1680 - 495));
    inner->setHorizontalSpacing(x(2820 - 300 - 1995));
    inner->addWidget(Label1, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    inner->addWidget(txtVersion, 0, 1, Qt::AlignLeft | Qt::AlignBottom);
    inner->setRowStretch(1, 1);
    inner->addWidget(Command1, 2, 0, 1, 2, Qt::AlignHCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(x(120), 0, x(4785 - 120 - 4575), y(2505 - 2415));
    layout->addWidget(Frame1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load(settings, system);
}

void aboutDialog::Form_Load(const SettingsModule& settings, const ISystemInfo& system) {
    txtVersion->setText(settings.VersionText);
    adjustSize();
    // Centred on the screen each time it opens.
    const QRect screen = system.ScreenRect();
    move(screen.x() + screen.width() / 2 - width() / 2,
         screen.y() + screen.height() / 2 - height() / 2);
}

void aboutDialog::Command1_Click() {
    accept();
}
