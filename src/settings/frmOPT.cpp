#include "settings/frmOPT.h"

#include "acquisition/frmSourceAPP.h"
#include "platform/PlatformServices.h"
#include "platform/SystemInfo.h"
#include "settings/ContextHelp.h"
#include "settings/DialogParts.h"
#include "settings/HelpTopics.h"
#include "settings/SettingsModule.h"
#include "settings/frmPath.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

// Design lengths in twips turned into logical pixels of this screen. The layouts keep every
// control at least at its design size and let it grow where a large or CJK font needs room.
struct Twips {
    double perPixelX;
    double perPixelY;
    int X(int twips) const { return int(std::lround(twips / perPixelX)); }
    int Y(int twips) const { return int(std::lround(twips / perPixelY)); }
    QSize Size(int width, int height) const { return {X(width), Y(height)}; }
    // At least the design size, and never smaller than the control's text needs.
    void Fit(QWidget* control, int width, int height) const {
        control->setMinimumSize(Size(width, height).expandedTo(control->sizeHint()));
    }
};

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& title, QSize minimum) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setMinimumSize(minimum);
    return frame;
}

template <typename T> T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// Adds `text` to a list kept in alphabetical order without regard to case, as a sorted
// drop-down list keeps its entries whatever order they are added in.
void AddSorted(QComboBox* list, const QString& text) {
    int at = 0;
    while (at < list->count() &&
           QString::compare(list->itemText(at), text, Qt::CaseInsensitive) <= 0) {
        ++at;
    }
    list->insertItem(at, text);
}

} // namespace

const QString frmOPT::FormatNames[5] = {
    QStringLiteral("delimited by TAB"),   QStringLiteral("Column format"),
    QStringLiteral("delimited by SPACE"), QStringLiteral("delimited by COMMA"),
    QStringLiteral("CSV format"),
};

frmOPT::frmOPT(SettingsModule& settings, PlatformServices& platform, QWidget* parent)
    : QDialog(parent)
    , settings_(settings)
    , platform_(platform) {
    setObjectName(QStringLiteral("frmOPT"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    ContextHelp::SetTopic(this, HelpTopics::OptionsDialog);

    BuildControls();
    Form_Load();
}

void frmOPT::BuildControls() {
    const Twips t{platform_.system.TwipsPerPixelX(), platform_.system.TwipsPerPixelY()};

    Label2 = Named(new QLabel(QStringLiteral("If necessary, Change Option(s)"), this),
                   QStringLiteral("Label2"));
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    t.Fit(Label2, 3375, 315);

    // Width of the guide lines, with the example line drawn at the chosen width.
    frameWidth =
        MakeFrame(this, "frameWidth", QStringLiteral("&Width of Line"), t.Size(2775, 1275));
    auto* widthButtons = new QHBoxLayout;
    widthButtons->setContentsMargins(t.X(240) - t.X(180), 0, 0, 0);
    for (int i = 0; i < 4; ++i) {
        optPenWidth[i] = Named(new QRadioButton(QStringLiteral("&%1").arg(i + 1), frameWidth),
                               QStringLiteral("optPenWidth%1").arg(i));
        t.Fit(optPenWidth[i], 500, 375);
        widthButtons->addWidget(optPenWidth[i]);
    }
    widthButtons->addStretch(1);
    Label1 = Named(new QLabel(QStringLiteral("Example:"), frameWidth), QStringLiteral("Label1"));
    t.Fit(Label1, 915, 255);
    lineEXAM = Named(new ExampleLine(frameWidth), QStringLiteral("lineEXAM"));
    lineEXAM->setMinimumWidth(t.X(2580 - 1200));
    auto* example = new QHBoxLayout;
    example->addWidget(Label1);
    example->addWidget(lineEXAM, 1);
    auto* widthLayout = new QVBoxLayout(frameWidth);
    widthLayout->addLayout(widthButtons);
    widthLayout->addLayout(example);

    // The source application.
    fraSource = MakeFrame(this, "fraSource", QStringLiteral("Source App."), t.Size(2955, 2415));
    ContextHelp::SetTopic(fraSource, HelpTopics::SourceAppOptions);
    chkSource = Named(new QCheckBox(QStringLiteral("Use source app."), fraSource),
                      QStringLiteral("chkSource"));
    t.Fit(chkSource, 2535, 315);
    lblSourceApp = Named(new ElidedLabel(fraSource), QStringLiteral("lblSourceApp"));
    lblSourceApp->setText(QStringLiteral("App. name"));
    lblSourceApp->setMinimumSize(t.Size(2475, 315));
    // The key is short and must be read whole; a long program path is shortened instead.
    lblAccessKey =
        Named(new QLabel(QStringLiteral("AccessKey"), fraSource), QStringLiteral("lblAccessKey"));
    lblAccessKey->setMinimumHeight(t.Y(375)); // as wide as its text, which changes
    cmdSource =
        Named(new QPushButton(QStringLiteral("C&hange"), fraSource), QStringLiteral("cmdSource"));
    t.Fit(cmdSource, 1095, 315);
    auto* sourceLayout = new QVBoxLayout(fraSource);
    sourceLayout->addWidget(chkSource);
    sourceLayout->addWidget(lblSourceApp);
    sourceLayout->addWidget(lblAccessKey);
    sourceLayout->addStretch(1);
    sourceLayout->addWidget(cmdSource, 0, Qt::AlignRight);

    // The layout of the data file.
    fraFormat = MakeFrame(this, "fraFormat", QStringLiteral("Data format"), t.Size(2775, 975));
    cobFormat = Named(new QComboBox(fraFormat), QStringLiteral("cobFormat"));
    cobFormat->setEditable(false);
    cobFormat->setMinimumSize(t.Size(2295, 360));
    auto* formatLayout = new QVBoxLayout(fraFormat);
    formatLayout->addWidget(cobFormat);
    formatLayout->addStretch(1);

    // The cursor shape.
    frameMesure =
        MakeFrame(this, "frameMesure", QStringLiteral("&Cursor Shape"), t.Size(3795, 1455));
    const QString shapes[3] = {QStringLiteral("Large Cross (Vertical and Horisontal)"),
                               QStringLiteral("Large Cross (Free Angle)"),
                               QStringLiteral("Small Cross")};
    const int shapeWidths[3] = {3495, 2535, 2535};
    auto* shapeLayout = new QVBoxLayout(frameMesure);
    shapeLayout->setSpacing(0);
    for (int i = 0; i < 3; ++i) {
        optCursor[i] =
            Named(new QRadioButton(shapes[i], frameMesure), QStringLiteral("optCursor%1").arg(i));
        t.Fit(optCursor[i], shapeWidths[i], 360);
        shapeLayout->addWidget(optCursor[i]);
    }
    shapeLayout->addStretch(1);

    // The magnification: 1 to 4 for 50 % to 200 %.
    Frame1 = MakeFrame(this, "Frame1", QStringLiteral("Magnification"), t.Size(1935, 1455));
    hsbMagRate = Named(new QScrollBar(Qt::Horizontal, Frame1), QStringLiteral("hsbMagRate"));
    hsbMagRate->setRange(1, 4);
    hsbMagRate->setSingleStep(1);
    hsbMagRate->setPageStep(2);
    // The value is taken when the thumb is released, not while it is dragged.
    hsbMagRate->setTracking(false);
    // It takes the keyboard too; scroll bars invert keys and wheel, which would make the
    // right arrow key lower the magnification.
    hsbMagRate->setFocusPolicy(Qt::StrongFocus);
    hsbMagRate->setInvertedControls(false);
    t.Fit(hsbMagRate, 1515, 255);
    lblMagRate = Named(new QLabel(QStringLiteral("100%"), Frame1), QStringLiteral("lblMagRate"));
    lblMagRate->setAlignment(Qt::AlignCenter);
    t.Fit(lblMagRate, 1335, 255);
    auto* magLayout = new QVBoxLayout(Frame1);
    magLayout->addStretch(1);
    magLayout->addWidget(hsbMagRate);
    magLayout->addWidget(lblMagRate);
    magLayout->addStretch(1);

    // The folder the data file dialog starts in.
    fraPath = MakeFrame(this, "fraPath", QStringLiteral("Default path"), t.Size(5955, 735));
    lblDATAPath = Named(new ElidedLabel(fraPath), QStringLiteral("lblDATAPath"));
    lblDATAPath->setMinimumSize(t.Size(4215, 255));
    cmdPath = Named(new QPushButton(QStringLiteral("&Browse"), fraPath), QStringLiteral("cmdPath"));
    t.Fit(cmdPath, 975, 375);
    auto* pathLayout = new QHBoxLayout(fraPath);
    pathLayout->addWidget(lblDATAPath, 1);
    pathLayout->addWidget(cmdPath);

    const QString captions[3] = {QStringLiteral("&Save"), QStringLiteral("&OK"),
                                 QStringLiteral("&Cancel")};
    const int buttonWidths[3] = {1335, 1275, 1275};
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(t.X(2580 - 1020 - 1335));
    buttons->addSpacing(t.X(1020 - 180));
    for (int i = 0; i < 3; ++i) {
        cmdButton[i] =
            Named(new QPushButton(captions[i], this), QStringLiteral("cmdButton%1").arg(i));
        cmdButton[i]->setAutoDefault(false);
        t.Fit(cmdButton[i], buttonWidths[i], 495);
        buttons->addWidget(cmdButton[i]);
    }
    buttons->addStretch(1);
    cmdButton[1]->setDefault(true);
    for (QPushButton* button : {cmdSource, cmdPath}) {
        button->setAutoDefault(false);
    }

    // The arrangement of the design: the title, then line width and data format beside the
    // source application, cursor shape beside magnification, the default path, the buttons.
    auto* leftColumn = new QVBoxLayout;
    leftColumn->setSpacing(t.Y(2280 - 840 - 1275));
    leftColumn->addWidget(frameWidth);
    leftColumn->addWidget(fraFormat);
    auto* upper = new QHBoxLayout;
    upper->setSpacing(t.X(3180 - 180 - 2775));
    // Room a large font needs is shared as the design shares the width.
    upper->addLayout(leftColumn, 2775);
    upper->addWidget(fraSource, 2955);
    auto* middle = new QHBoxLayout;
    middle->setSpacing(t.X(4200 - 180 - 3795));
    middle->addWidget(frameMesure, 3795);
    middle->addWidget(Frame1, 1935);
    auto* title = new QHBoxLayout;
    title->addSpacing(t.X(1440 - 180));
    title->addWidget(Label2);
    title->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(t.X(180), t.Y(300), t.X(180), t.Y(6630 - 5940 - 495));
    layout->setSpacing(t.Y(3360 - 3255));
    layout->addLayout(title);
    layout->addSpacing(t.Y(840 - 300 - 315) - layout->spacing());
    layout->addLayout(upper);
    layout->addLayout(middle);
    layout->addWidget(fraPath);
    layout->addSpacing(t.Y(5940 - 4920 - 735) - layout->spacing());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmOPT::ConnectHandlers() {
    for (int i = 0; i < 4; ++i) {
        connect(optPenWidth[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) {
                optPenWidth_Click(i);
            }
        });
    }
    for (int i = 0; i < 3; ++i) {
        connect(optCursor[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) {
                optCursor_Click(i);
            }
        });
    }
    connect(hsbMagRate, &QScrollBar::valueChanged, this, &frmOPT::hsbMagRate_Change);
    connect(cobFormat, &QComboBox::currentIndexChanged, this, &frmOPT::cobFormat_Click);
    connect(chkSource, &QCheckBox::toggled, this, &frmOPT::chkSource_Click);
    connect(cmdPath, &QPushButton::clicked, this, &frmOPT::cmdPath_Click);
    connect(cmdSource, &QPushButton::clicked, this, &frmOPT::cmdSource_Click);
    for (int i = 0; i < 3; ++i) {
        connect(cmdButton[i], &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
    }
}

void frmOPT::Form_Load() {
    // The dialog can show only settings within their ranges; the settings are mended when
    // they are read, so this changes nothing unless a caller skipped that.
    MendSettings(settings_);

    // Selecting a button, ticking the box or moving the bar from here runs its handler as a
    // user's action does, so the handlers are connected first. Filling the list is not a
    // choice of an entry.
    ConnectHandlers();
    {
        const QSignalBlocker quiet(cobFormat);
        for (const QString& name : FormatNames) {
            AddSorted(cobFormat, name);
        }
    }
    cobFormat->setMinimumWidth(std::max(cobFormat->minimumWidth(), cobFormat->sizeHint().width()));
    // The list is matched by text: a position in it says nothing about the format.
    cobFormat->setCurrentIndex(cobFormat->findText(FormatNames[settings_.DataFormat]));

    if (settings_.StartupDone == 1) {
        Label2->setText(QStringLiteral("Change Option(s)"));
        chkSource->setEnabled(false);
        cmdSource->setEnabled(settings_.SourceAppEnabled == 1);
    }
    if (settings_.DataFileReady == 1) {
        for (QWidget* locked :
             std::initializer_list<QWidget*>{fraFormat, cobFormat, fraPath, cmdPath, lblDATAPath}) {
            locked->setEnabled(false);
        }
    }
    EnableSourceControls(settings_.SourceAppEnabled);
    ShowSourceAppLabels();

    optPenWidth[settings_.LineWidth - 1]->setChecked(true);
    optCursor[settings_.CursorShape]->setChecked(true);
    if (hsbMagRate->value() == settings_.MagStep) {
        hsbMagRate_Change(); // no change of value, so no signal
    } else {
        hsbMagRate->setValue(settings_.MagStep);
    }
    lineEXAM->SetLineWidth(settings_.LineWidth);
    lblMagRate->setText(QString::number(settings_.MagStep * 50) + QStringLiteral(" %"));
    chkSource->setChecked(settings_.SourceAppEnabled == 1);

    PendingLineWidth = settings_.LineWidth;
    PendingMagStep = settings_.MagStep;
    PendingDataFormat = settings_.DataFormat;
    lblDATAPath->setText(settings_.DefaultDataPath);

    // No frame narrower than its controls need, whatever share of the room it is given.
    for (QGroupBox* frame : findChildren<QGroupBox*>()) {
        frame->setMinimumSize(frame->minimumSize().expandedTo(frame->minimumSizeHint()));
    }
    // Centred on the screen each time it opens.
    adjustSize();
    const QRect screen = platform_.system.ScreenRect();
    move(screen.x() + screen.width() / 2 - width() / 2,
         screen.y() + screen.height() / 2 - height() / 2);
}

void frmOPT::optPenWidth_Click(int Index) {
    PendingLineWidth = int16_t(Index + 1);
    lineEXAM->SetLineWidth(PendingLineWidth);
}

void frmOPT::optCursor_Click(int Index) {
    PendingCursorShape = int16_t(Index);
    if (Index == 1) {
        PendingMeasureState = -1;
        settings_.SlopeLocked = 0;
    } else {
        PendingMeasureState = 0;
    }
}

void frmOPT::hsbMagRate_Change() {
    const int v = hsbMagRate->value();
    lblMagRate->setText(QString::number(v * 50) + QStringLiteral(" %"));
    PendingMagStep = int16_t(v);
    settings_.MagChanged = v == settings_.MagStep ? 0 : 1;
}

void frmOPT::cobFormat_Click() {
    for (int16_t i = 0; i < 5; ++i) {
        if (cobFormat->currentText() == FormatNames[i]) {
            PendingDataFormat = i;
        }
    }
}

void frmOPT::chkSource_Click() {
    EnableSourceControls(chkSource->isChecked() ? 1 : 0);
}

void frmOPT::EnableSourceControls(int Flag) {
    if (Flag == 0) {
        lblSourceApp->setEnabled(false);
        lblAccessKey->setEnabled(false);
        cmdSource->setEnabled(false);
    } else if (Flag == 1) {
        lblSourceApp->setEnabled(true);
        lblAccessKey->setEnabled(true);
        // After start-up "C&hange" keeps what the loading gave it.
        if (settings_.StartupDone == 0) {
            cmdSource->setEnabled(true);
        }
    }
}

void frmOPT::ShowSourceAppLabels() {
    lblSourceApp->setText(QStringLiteral("App.: ") + settings_.SourceAppName.toUpper());
    lblAccessKey->setText(QStringLiteral("Access Key : ") + settings_.AccessKeyText);
}

void frmOPT::cmdPath_Click() {
    frmPath dialog(settings_, platform_, lblDATAPath, this);
    dialog.exec();
}

void frmOPT::cmdSource_Click() {
    frmSourceAPP dialog(settings_, platform_, this);
    SourceSetup = dialog.Setup();
    dialog.exec();
    // The dialog may have changed the program or the key: derive the display texts again and
    // show them here.
    UpdateSourceAppInfo(settings_);
    ShowSourceAppLabels();
}

void frmOPT::cmdButton_Click(int Index) {
    if (Index == 0 || Index == 1) {
        settings_.LineWidth = PendingLineWidth;
        settings_.CursorShape = PendingCursorShape;
        settings_.MagStep = PendingMagStep;
        settings_.DataFormat = PendingDataFormat;
        settings_.OptionsCancelled = 0;
        settings_.MeasureState = PendingMeasureState;
        settings_.SourceAppEnabled = chkSource->isChecked() ? 1 : 0;
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
