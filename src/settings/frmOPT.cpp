#include "settings/frmOPT.h"

#include "settings/SettingsModule.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmOPT::frmOPT(SettingsModule& settings, QWidget* parent)
    : QDialog(parent)
    , settings_(settings) {
    setObjectName(QStringLiteral("frmOPT"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    Label2 = new QLabel(QStringLiteral("If necessary, Change Option(s)"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);

    const char* captions[3] = {"&Save", "&OK", "&Cancel"};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        cmdButton[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        cmdButton[i]->setObjectName(QStringLiteral("cmdButton%1").arg(i));
        cmdButton[i]->setAutoDefault(false);
        buttons->addWidget(cmdButton[i]);
        connect(cmdButton[i], &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
    }
    cmdButton[1]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addLayout(buttons);

    Form_Load();
}

void frmOPT::Form_Load() {
    if (settings_.StartupDone == 1) {
        Label2->setText(QStringLiteral("Change Option(s)"));
    }
    PendingLineWidth = settings_.LineWidth;
    PendingCursorShape = settings_.CursorShape;
    PendingMeasureState = settings_.CursorShape == 1 ? -1 : 0;
    PendingMagStep = settings_.MagStep;
    PendingDataFormat = settings_.DataFormat;
    PendingSourceApp = settings_.SourceAppEnabled;
}

void frmOPT::cmdButton_Click(int Index) {
    if (Index == 0 || Index == 1) {
        settings_.LineWidth = PendingLineWidth;
        settings_.CursorShape = PendingCursorShape;
        settings_.MagStep = PendingMagStep;
        settings_.DataFormat = PendingDataFormat;
        settings_.OptionsCancelled = 0;
        settings_.MeasureState = PendingMeasureState;
        settings_.SourceAppEnabled = PendingSourceApp;
    } else if (Index == 2) {
        settings_.OptionsCancelled = 1;
    }
    if (Index == 0) {
        const QString section = QStringLiteral("options");
        const QString& ini = settings_.IniPath;
        WriteIniString(ini, section, QStringLiteral("sloped"),
                       IniNumberText(settings_.CursorShape));
        WriteIniString(ini, section, QStringLiteral("magrate"), IniNumberText(settings_.MagStep));
        WriteIniString(ini, section, QStringLiteral("penwidth"),
                       IniNumberText(settings_.LineWidth));
        WriteIniString(ini, section, QStringLiteral("usesourceapp"),
                       IniNumberText(settings_.SourceAppEnabled));
        WriteIniString(ini, section, QStringLiteral("delimiter"),
                       IniNumberText(settings_.DataFormat));
    }
    closingByButton_ = true;
    done(Index == 2 ? QDialog::Rejected : QDialog::Accepted);
}

void frmOPT::reject() {
    // Esc is the "&Cancel" button.
    if (!closingByButton_) {
        cmdButton_Click(2);
        return;
    }
    QDialog::reject();
}

void frmOPT::closeEvent(QCloseEvent* event) {
    // The window's own close control applies nothing and leaves the cancel flag alone.
    if (!closingByButton_) {
        closingByButton_ = true;
        done(QDialog::Rejected);
    }
    event->accept();
}
