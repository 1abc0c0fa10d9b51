#include "acquisition/frmSourceAPP.h"

#include "platform/MessageService.h"
#include "platform/PlatformServices.h"
#include "platform/ProcessService.h"
#include "platform/SystemInfo.h"
#include "settings/SettingsModule.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kSave = 0;
constexpr int kOk = 1;
constexpr int kCancel = 2;

// Letters an access key has at most, digits of the delay at most.
constexpr qsizetype kKeyLetters = 2;
constexpr qsizetype kDelayDigits = 4;

// Shows a path of any length in the room the design gives it: a long one loses its middle
// on screen (the whole path is in the tool tip), while text() keeps all of it.
class PathLabel : public QLabel {
public:
    explicit PathLabel(QWidget* parent)
        : QLabel(parent) {}

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

// Up to two letters a to z, in either case.
bool IsKeyText(const QString& text) {
    if (text.size() > kKeyLetters) {
        return false;
    }
    for (const QChar c : text) {
        const QChar lower = c.toLower();
        if (lower < u'a' || lower > u'z') {
            return false;
        }
    }
    return true;
}

// Up to four digits 0 to 9; empty counts as 0.
bool IsDelayText(const QString& text) {
    if (text.size() > kDelayDigits) {
        return false;
    }
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

} // namespace

frmSourceAPP::frmSourceAPP(SettingsModule& settings, PlatformServices& platform, QWidget* parent)
    : QDialog(parent)
    , cdlSourceApp(platform.fileDialogs)
    , settings_(settings)
    , platform_(platform) {
    setObjectName(QStringLiteral("frmSourceAPP"));
    setWindowTitle(QStringLiteral("Source App."));
    // A fixed-size tool window: narrow title bar, no minimise or maximise box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    cdlSourceApp.DialogTitle = QStringLiteral("Assign the Source App.");
    // Programs on Linux have no common extension: any file the user may run is one.
    cdlSourceApp.Filter = QStringLiteral("Execute file|*");
    cdlSourceApp.ExecutablesOnly = true;

    BuildControls();
    Form_Load();
    ConnectHandlers();
    PrepareControls();
    PlaceAtDesignPosition();
}

void frmSourceAPP::BuildControls() {
    const double tx = platform_.system.TwipsPerPixelX();
    const double ty = platform_.system.TwipsPerPixelY();
    const auto width = [tx](int twips) { return int(std::lround(twips / tx)); };
    const auto height = [ty](int twips) { return int(std::lround(twips / ty)); };
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
    };

    // The program: its path and "&Browse".
    Frame1 = new QGroupBox(QStringLiteral("Source app"), this);
    Label2 = new PathLabel(Frame1);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setMinimumWidth(width(4575));
    Label2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    cmdChenge = new QPushButton(QStringLiteral("&Browse"), Frame1);
    cmdChenge->setMinimumWidth(width(1155));
    auto* programRow = new QHBoxLayout(Frame1);
    programRow->addWidget(Label2, 1);
    programRow->addWidget(cmdChenge);

    // Waiting for the program, or pasting a fixed time after the keys.
    Frame4 = new QGroupBox(QStringLiteral("Wait"), this);
    chkWait =
        new QCheckBox(QStringLiteral("Don't wait for the termination of the source app."), Frame4);
    lblWait1 = new QLabel(QStringLiteral("and forcedly process"), Frame4);
    txtWait = new QLineEdit(Frame4);
    txtWait->setFixedWidth(std::max(
        width(855), txtWait->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 12));
    lblwait2 = new QLabel(QStringLiteral("msec later"), Frame4);
    auto* waitGrid = new QGridLayout(Frame4);
    waitGrid->addWidget(chkWait, 0, 0, 1, 3);
    waitGrid->addWidget(lblWait1, 1, 1, Qt::AlignRight);
    waitGrid->addWidget(txtWait, 1, 2);
    waitGrid->addWidget(lblwait2, 2, 1, 1, 2, Qt::AlignRight);
    waitGrid->setColumnStretch(0, 1);

    // The access key: a modifier and the letters.
    Frame2 = new QGroupBox(QStringLiteral("Access Key"), this);
    auto* keyRow = new QHBoxLayout(Frame2);
    const char* modifiers[3] = {"Shift", "Ctrl", "Alt"};
    for (int i = 0; i < 3; ++i) {
        optShitKey[i] = new QRadioButton(QString::fromLatin1(modifiers[i]), Frame2);
        named(optShitKey[i], "optShitKey");
        optShitKey[i]->setProperty("Index", i);
        keyRow->addWidget(optShitKey[i]);
    }
    txtKey = new QLineEdit(Frame2);
    txtKey->setFixedWidth(
        std::max(width(615), txtKey->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 16));
    txtKey->setMinimumHeight(height(360));
    keyRow->addWidget(txtKey);

    const char* captions[3] = {"&Save", "&OK", "&Cancel"};
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        named(Command1[i], "Command1");
        Command1[i]->setProperty("Index", i);
        Command1[i]->setAutoDefault(false);
        Command1[i]->setMinimumSize(width(912), height(372));
        buttonRow->addWidget(Command1[i]);
    }
    Command1[kOk]->setDefault(true);

    named(Frame1, "Frame1");
    named(Label2, "Label2");
    named(cmdChenge, "cmdChenge");
    named(Frame4, "Frame4");
    named(chkWait, "chkWait");
    named(lblWait1, "lblWait1");
    named(txtWait, "txtWait");
    named(lblwait2, "lblwait2");
    named(Frame2, "Frame2");
    named(txtKey, "txtKey");

    // The design: the program across the top, below it the waiting mode on the left and
    // the access key on the right with the three buttons under it.
    auto* right = new QVBoxLayout;
    right->addWidget(Frame2);
    right->addStretch(1);
    right->addLayout(buttonRow);
    auto* lower = new QHBoxLayout;
    lower->addWidget(Frame4);
    lower->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(lower);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(cmdChenge, chkWait);
    setTabOrder(chkWait, txtWait);
    setTabOrder(txtWait, optShitKey[0]);
    setTabOrder(optShitKey[0], optShitKey[1]);
    setTabOrder(optShitKey[1], optShitKey[2]);
    setTabOrder(optShitKey[2], txtKey);
    setTabOrder(txtKey, Command1[kSave]);
    setTabOrder(Command1[kSave], Command1[kOk]);
    setTabOrder(Command1[kOk], Command1[kCancel]);
}

void frmSourceAPP::ConnectHandlers() {
    for (int i = 0; i < 3; ++i) {
        // Selected by the user or by code alike, as the preparation relies on.
        connect(optShitKey[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked) {
                optShitKey_Click(i);
            }
        });
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    connect(chkWait, &QCheckBox::toggled, this, &frmSourceAPP::chkWait_Click);
    connect(txtKey, &QLineEdit::textChanged, this, &frmSourceAPP::txtKey_Change);
    connect(txtWait, &QLineEdit::textChanged, this, &frmSourceAPP::txtWait_Change);
    connect(cmdChenge, &QPushButton::clicked, this, &frmSourceAPP::cmdChenge_Click);
}

void frmSourceAPP::Form_Load() {
    PendingApp = settings_.SourceAppPath;
    PendingKey = settings_.AccessKeyNotation;
    PendingNotWait = settings_.NoWait;
    PendingNotWaitMs = settings_.NoWaitDelay;
}

void frmSourceAPP::PrepareControls() {
    setup_ =
        PrepareSourceAppDialog(settings_, platform_.processes.IsRunning(settings_.SourceAppTaskId));
    // Letters the box cannot hold (a hand-edited lq.ini) are not shown as if they were a key:
    // the box starts empty and asks for one.
    if (!IsKeyText(setup_.KeyLetters)) {
        setup_.KeyLetters.clear();
        settings_.AccessKeyLetters.clear();
    }
    if (setup_.ModifierIndex >= 0 && setup_.ModifierIndex < 3) {
        optShitKey[setup_.ModifierIndex]->setChecked(true);
    }
    cmdChenge->setEnabled(setup_.BrowseEnabled);
    Label2->setText(setup_.ProgramPath);
    Label2->setToolTip(setup_.ProgramPath);
    SetTextQuietly(txtKey, setup_.KeyLetters);
    SetTextQuietly(txtWait, setup_.WaitText);
    chkWait->setChecked(setup_.WaitTicked);
    chkWait_Click();
}

void frmSourceAPP::PlaceAtDesignPosition() {
    // Where the design puts it on the screen; it does not centre itself.
    const QRect screen = platform_.system.ScreenRect();
    move(screen.x() + int(std::lround(2685 / platform_.system.TwipsPerPixelX())),
         screen.y() + int(std::lround(2550 / platform_.system.TwipsPerPixelY())));
}

void frmSourceAPP::SetOptionLabels(QLabel* lblSourceApp, QLabel* lblAccessKey) {
    optionsSourceApp_ = lblSourceApp;
    optionsAccessKey_ = lblAccessKey;
}

int16_t frmSourceAPP::getSK(const QString& KeyStroke) {
    int16_t result = 0;
    for (const QChar c : KeyStroke) {
        if (c == u'+') {
            result = 0;
        } else if (c == u'^') {
            result = 1;
        } else if (c == u'%') {
            result = 2;
        }
    }
    return result;
}

void frmSourceAPP::optShitKey_Click(int Index) {
    // Not a pending value: the modifier changes at once, and the options dialog puts it
    // back from the unchanged notation after "&Cancel".
    settings_.AccessKeyModifier = int16_t(Index);
}

void frmSourceAPP::chkWait_Click() {
    const bool delayed = chkWait->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(lblWait1), static_cast<QWidget*>(lblwait2),
                             static_cast<QWidget*>(txtWait)}) {
        control->setEnabled(delayed);
    }
    PendingNotWait = delayed ? 1 : 0; // the delay text stays either way
}

void frmSourceAPP::SetTextQuietly(QLineEdit* box, const QString& text) {
    settingText_ = true;
    box->setText(text);
    box->setCursorPosition(int(box->text().size()));
    settingText_ = false;
}

void frmSourceAPP::txtKey_Change() {
    if (settingText_) {
        return;
    }
    // At most two letters, typed in either case and shown in upper case; anything else
    // beeps once and brings back the last accepted letters.
    QString text = txtKey->text();
    if (!IsKeyText(text)) {
        platform_.messages.Beep();
        text = IsKeyText(settings_.AccessKeyLetters) ? settings_.AccessKeyLetters : QString();
    }
    settings_.AccessKeyLetters = text.toUpper();
    SetTextQuietly(txtKey, settings_.AccessKeyLetters);
}

void frmSourceAPP::txtWait_Change() {
    if (settingText_) {
        return;
    }
    // At most four digits; anything else silently brings back the last accepted number.
    const QString text = txtWait->text();
    if (!IsDelayText(text)) {
        SetTextQuietly(txtWait, QString::number(PendingNotWaitMs));
        return;
    }
    PendingNotWaitMs = int16_t(text.isEmpty() ? 0 : text.toInt());
    txtWait->setCursorPosition(int(text.size()));
}

void frmSourceAPP::cmdChenge_Click() {
    // Hide the read-only box, do not validate the typed name, the folder must exist.
    cdlSourceApp.Flags =
        CommonDialog::NoValidate + CommonDialog::HideReadOnly + CommonDialog::PathMustExist;
    if (QFileInfo(PendingApp).isAbsolute()) {
        cdlSourceApp.InitDir = QFileInfo(PendingApp).absolutePath();
    }
    if (!cdlSourceApp.ShowOpen(this) || cdlSourceApp.FileName.isEmpty()) {
        return;
    }
    PendingApp = cdlSourceApp.FileName;
    Label2->setText(PendingApp);
    Label2->setToolTip(PendingApp);
}

void frmSourceAPP::Command1_Click(int Index) {
    if (Index == kCancel) {
        done(QDialog::Rejected);
        return;
    }
    if (txtKey->text().isEmpty()) {
        platform_.messages.ShowMessage(this, QStringLiteral("Please input access key."),
                                       QStringLiteral("Access Key"));
        return;
    }
    settings_.SourceAppPath = PendingApp;
    settings_.NoWait = PendingNotWait;
    settings_.NoWaitDelay = PendingNotWaitMs;

    static const QString modifiers[3] = {QStringLiteral("+"), QStringLiteral("^"),
                                         QStringLiteral("%")};
    const int modifier = settings_.AccessKeyModifier;
    PendingKey = (modifier >= 0 && modifier < 3 ? modifiers[modifier] : QString()) +
                 txtKey->text().toLower();
    settings_.AccessKeyNotation = PendingKey;

    if (Index == kSave) {
        const QString& ini = settings_.IniPath;
        const QString section = QStringLiteral("source app");
        // Each entry is written on its own; one that fails does not keep back the others.
        bool saved = WriteIniString(ini, section, QStringLiteral("app"), settings_.SourceAppPath);
        saved &= WriteIniString(ini, section, QStringLiteral("key"), settings_.AccessKeyNotation);
        saved &= WriteIniString(ini, section, QStringLiteral("notwait"),
                                IniNumberText(settings_.NoWait));
        saved &= WriteIniString(ini, section, QStringLiteral("notwaitms"),
                                IniNumberText(settings_.NoWaitDelay));
        if (!saved) {
            platform_.messages.ShowMessage(
                this, QStringLiteral("The source application settings could not be saved to "
                                     "%1.\n\nThey apply until Linealis ends.")
                          .arg(ini));
        }
    }

    UpdateSourceAppInfo(settings_);
    if (optionsSourceApp_) {
        optionsSourceApp_->setText(QStringLiteral("App.: ") + settings_.SourceAppName.toUpper());
    }
    if (optionsAccessKey_) {
        optionsAccessKey_->setText(QStringLiteral("Access Key : ") + settings_.AccessKeyText);
    }
    done(QDialog::Accepted);
}

void frmSourceAPP::reject() {
    // Esc and the window's close box are "&Cancel": nothing is committed.
    done(QDialog::Rejected);
}
