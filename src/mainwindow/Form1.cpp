#include "mainwindow/Form1.h"

#include "acquisition/ImageLoader.h"
#include "acquisition/ScaledImage.h"
#include "acquisition/frmImageInfo.h"
#include "mainwindow/EventCodes.h"
#include "mainwindow/Form1HelpTopics.h"
#include "mainwindow/MainWindowKeys.h"
#include "mainwindow/PictureBox.h"
#include "mainwindow/Prompts.h"
#include "platform/Clipboard.h"
#include "platform/Desktop.h"
#include "platform/MessageService.h"
#include "platform/PlatformServices.h"
#include "platform/ProcessService.h"
#include "platform/SystemInfo.h"
#include "platform/TextEditor.h"
#include "records/CommentRules.h"
#include "records/DataFile.h"
#include "records/DataFileFormat.h"
#include "settings/ContextHelp.h"
#include "settings/SettingsModule.h"
#include "settings/aboutDialog.h"
#include "settings/frmOPT.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <cmath>

namespace {

// Design sizes of the window, in twips.
constexpr int kInsideWidth = 9540;
constexpr int kInsideHeight = 6540;
// The window around the picture box: extra width and height, and the narrowest window.
constexpr int kFrameExtraWidth = 210;
constexpr int kFrameExtraHeight = 1212;
constexpr int kMinimumOuterWidth = 6220;

QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    return action;
}

QAction* addBar(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

Form1::Form1(SettingsModule& settings, PlatformServices& platform, QWidget* parent)
    : QMainWindow(parent)
    , Measure(settings)
    , CommonDialog1(platform.fileDialogs)
    , CommonDialog2(platform.fileDialogs)
    , CommentField(10, QLatin1Char(' '))
    , settings_(settings)
    , platform_(platform)
    , placement_(*this, platform.system)
    , capture_(std::make_unique<SourceAppCapture>(settings, platform)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kApplicationTitle);
    BuildControls();
    BuildMenus();
    ConnectHandlers();
    Help = new ContextHelp(platform_.messages, this);
    AssignHelpTopics(*this);
}

Form1::~Form1() {
    // The key filter watches the whole application: it goes before the controls it reads.
    delete keys_;
}

double Form1::TwipsX() const {
    return platform_.system.TwipsPerPixelX();
}

double Form1::TwipsY() const {
    return platform_.system.TwipsPerPixelY();
}

void Form1::BuildControls() {
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(central_);

    const auto px = [this](int twipsX, int twipsY, int widthTwips, int heightTwips) {
        return QRect(int(std::lround(twipsX / TwipsX())), int(std::lround(twipsY / TwipsY())),
                     int(std::lround(widthTwips / TwipsX())),
                     int(std::lround(heightTwips / TwipsY())));
    };

    Label2 = new QLabel(QStringLiteral("Comment:"), central_);
    Text1 = new QLineEdit(central_);
    Command1 = new QPushButton(QStringLiteral("&save"), central_);
    chkAI = new QCheckBox(QStringLiteral("&Auto Increment"), central_);
    PictureHost = new QScrollArea(central_);
    PictureHost->setObjectName(QStringLiteral("PictureHost"));
    PictureHost->setFrameShape(QFrame::NoFrame);
    PictureHost->setWidgetResizable(false);
    PictureHost->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture2 = new PictureBox;
    Label2->setObjectName(QStringLiteral("Label2"));
    Text1->setObjectName(QStringLiteral("Text1"));
    Command1->setObjectName(QStringLiteral("Command1"));
    chkAI->setObjectName(QStringLiteral("chkAI"));
    Picture2->setObjectName(QStringLiteral("Picture2"));

    // The comment strip keeps its design positions, but a control never gets narrower
    // than its text needs, and the next one moves right to make room (large or CJK fonts).
    struct Slot {
        QWidget* widget;
        QRect design;
    };
    const Slot strip[] = {{Label2, px(60, 120, 1095, 255)},
                          {Text1, px(1260, 60, 2295, 375)},
                          {Command1, px(3600, 60, 735, 375)},
                          {chkAI, px(4500, 60, 1755, 345)}};
    int nextLeft = 0;
    for (const Slot& slot : strip) {
        QRect r = slot.design;
        r.moveLeft(std::max(r.left(), nextLeft));
        r.setWidth(std::max(r.width(), slot.widget->sizeHint().width()));
        r.setHeight(std::max(r.height(), slot.widget->sizeHint().height()));
        slot.widget->setGeometry(r);
        nextLeft = r.right() + 1 + 4;
    }
    const QRect pictureDesign = px(60, 480, 9435, 6015);
    PictureHost->setGeometry(pictureDesign);
    Picture2->resize(pictureDesign.size());
    PictureHost->setWidget(Picture2);
    Picture2->setCursor(Qt::BlankCursor);
    Picture2->setFocusPolicy(Qt::StrongFocus);
    using Style = PictureBox::LineStyle;
    Line1[0].Bind(Picture2, 0, Style::Dashed, TwipsX(), TwipsY());
    Line1[1].Bind(Picture2, 1, Style::Dashed, TwipsX(), TwipsY());
    Line2[0].Bind(Picture2, 2, Style::Solid, TwipsX(), TwipsY());
    Line2[1].Bind(Picture2, 3, Style::Solid, TwipsX(), TwipsY());
    Line3.Bind(Picture2, 4, Style::Dotted, TwipsX(), TwipsY());
    // The moving guide lines are never hidden; until the mouse moves they have no length.
    Line1[0].SetVisible(true);
    Line1[1].SetVisible(true);

    CommonDialog1.DialogTitle = QStringLiteral("画像ファイルを開く");
    CommonDialog1.Filter = ImageFileFilter();
    CommonDialog1.FilterIndex = 1;
    CommonDialog1.DefaultExt = QStringLiteral("bmp");

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Picture2);
    setTabOrder(Picture2, chkAI);

    timDC = new QTimer(this);
    timDC->setObjectName(QStringLiteral("timDC"));
    timDC->setSingleShot(true);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(900);
}

void Form1::BuildMenus() {
    QMenuBar* bar1 = menuBar();
    // Keep the three result items in the bar itself, also on desktops with a global menu.
    bar1->setNativeMenuBar(false);

    File = bar1->addMenu(QStringLiteral("&File"));
    File->setObjectName(QStringLiteral("File"));
    mnuOpen = addItem(File, "mnuOpen", QStringLiteral("&Road image file"), QKeySequence("Ctrl+O"));
    Reroad = addItem(File, "Reroad", QStringLiteral("Reroad image"), QKeySequence("Ctrl+R"));
    Topen = addItem(File, "Topen", QStringLiteral("&Save data"), QKeySequence("Ctrl+S"));
    mnuSnP =
        addItem(File, "mnuSnP", QStringLiteral("Save and paste from ..."), QKeySequence("Ctrl+N"));
    bar = addBar(File, "bar");
    End = addItem(File, "End", QStringLiteral("Exit"));
    Reroad->setEnabled(false);
    Topen->setEnabled(false);
    mnuSnP->setVisible(false);
    mnuSnP->setEnabled(false);

    Edit = bar1->addMenu(QStringLiteral("&Edit"));
    Edit->setObjectName(QStringLiteral("Edit"));
    Undo = addItem(Edit, "Undo", QStringLiteral("&Undo (delete a line of data)"),
                   QKeySequence("Ctrl+Z"));
    mnuRedoraw =
        addItem(Edit, "mnuRedoraw", QStringLiteral("Redraw image"), QKeySequence("Ctrl+E"));
    paste = addItem(Edit, "paste", QStringLiteral("&Paste Image"), QKeySequence("Ctrl+V"));
    mnuFromSA = addItem(Edit, "mnuFromSA", QStringLiteral("Paste image from Source &APP."),
                        QKeySequence("Ctrl+A"));
    bar7 = addBar(Edit, "bar7");
    mnuNOTEPAD =
        addItem(Edit, "mnuNOTEPAD", QStringLiteral("Edit &data file"), QKeySequence("Ctrl+D"));
    mnuDOPT = addItem(Edit, "mnuDOPT", QStringLiteral("&Options"));
    Undo->setEnabled(false);
    mnuFromSA->setVisible(false);
    mnuNOTEPAD->setEnabled(false);

    // The pop-up menu of the picture: never part of the menu bar.
    RightClick = new QMenu(QStringLiteral("Right"), this);
    RightClick->setObjectName(QStringLiteral("RightClick"));
    mnuRsource = addItem(RightClick, "mnuRsource", QStringLiteral("From source app."));
    rsave = addItem(RightClick, "rsave", QStringLiteral("Save data"));
    mnurSnP = addItem(RightClick, "mnurSnP", QStringLiteral("Save data and paste from ..."));
    Rpaste = addItem(RightClick, "Rpaste", QStringLiteral("Paste image"));
    rreroad = addItem(RightClick, "rreroad", QStringLiteral("Reroad image"));
    Ropen = addItem(RightClick, "Ropen", QStringLiteral("Road image"));
    bar5 = addBar(RightClick, "bar5");
    mnuRreset = addItem(RightClick, "mnuRreset", QStringLiteral("Redraw image"));
    bar6 = addBar(RightClick, "bar6");
    mnuRoption = addItem(RightClick, "mnuRoption", QStringLiteral("Option"));
    mnuRsource->setVisible(false);
    rsave->setEnabled(false);
    mnurSnP->setVisible(false);
    mnurSnP->setEnabled(false);
    rreroad->setEnabled(false);

    about = bar1->addMenu(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("about"));
    mnuHelp = addItem(about, "mnuHelp", QStringLiteral("Help"));
    bar4 = addBar(about, "bar4");
    mnuInfo = addItem(about, "mnuInfo", QStringLiteral("Infomation of image"));
    bar3 = addBar(about, "bar3");
    mnuaboutLQ = addItem(about, "mnuaboutLQ", QStringLiteral("&About Linealis"));

    // The last result, shown in three items of the bar that have no command.
    mnuDist = bar1->addAction(QStringLiteral("Dist."));
    mnuDist->setObjectName(QStringLiteral("mnuDist"));
    mnudX = bar1->addAction(QStringLiteral("dX"));
    mnudX->setObjectName(QStringLiteral("mnudX"));
    mnudY = bar1->addAction(QStringLiteral("dY"));
    mnudY->setObjectName(QStringLiteral("mnudY"));

    // The design size of the window's inside, below the menu bar.
    resize(int(std::lround(kInsideWidth / TwipsX())),
           int(std::lround(kInsideHeight / TwipsY())) + bar1->sizeHint().height());
}

void Form1::ConnectHandlers() {
    connect(mnuOpen, &QAction::triggered, this, &Form1::mnuOpen_Click);
    connect(Reroad, &QAction::triggered, this, &Form1::Reroad_Click);
    connect(Topen, &QAction::triggered, this, &Form1::Topen_Click);
    connect(mnuSnP, &QAction::triggered, this, &Form1::mnuSnP_Click);
    connect(End, &QAction::triggered, this, &Form1::End_Click);
    connect(Edit, &QMenu::aboutToShow, this, &Form1::Edit_Click);
    connect(Undo, &QAction::triggered, this, &Form1::Undo_Click);
    connect(mnuRedoraw, &QAction::triggered, this, &Form1::mnuRedoraw_Click);
    connect(paste, &QAction::triggered, this, &Form1::paste_Click);
    connect(mnuFromSA, &QAction::triggered, this, &Form1::mnuFromSA_Click);
    connect(mnuNOTEPAD, &QAction::triggered, this, &Form1::mnuNOTEPAD_Click);
    connect(mnuDOPT, &QAction::triggered, this, &Form1::mnuDOPT_Click);
    connect(mnuRsource, &QAction::triggered, this, &Form1::mnuRsource_Click);
    connect(rsave, &QAction::triggered, this, &Form1::rsave_Click);
    connect(mnurSnP, &QAction::triggered, this, &Form1::mnurSnP_Click);
    connect(Rpaste, &QAction::triggered, this, &Form1::Rpaste_Click);
    connect(rreroad, &QAction::triggered, this, &Form1::rreroad_Click);
    connect(Ropen, &QAction::triggered, this, &Form1::Ropen_Click);
    connect(mnuRreset, &QAction::triggered, this, &Form1::mnuRreset_Click);
    connect(mnuRoption, &QAction::triggered, this, &Form1::mnuRoption_Click);
    connect(mnuHelp, &QAction::triggered, this, &Form1::mnuHelp_Click);
    connect(mnuInfo, &QAction::triggered, this, &Form1::mnuInfo_Click);
    connect(mnuaboutLQ, &QAction::triggered, this, &Form1::mnuaboutLQ_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    keys_ = new MainWindowKeys(*this);
    Text1->installEventFilter(keys_);
    // Alt+A belongs to both the "&About" menu and "&Auto Increment"; it ticks the box.
    qApp->installEventFilter(keys_);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    connect(Picture2, &PictureBox::mouseReleased, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos,
                   QPoint globalPos) {
                popupAt_ = globalPos;
                Picture2_MouseUp(buttonCode(button), shiftCode(modifiers),
                                 float(pos.x() * TwipsX()), float(pos.y() * TwipsY()));
            });
    connect(Picture2, &PictureBox::resized, this, &Form1::Picture2_Resize);
    connect(Picture2, &PictureBox::mouseMoved, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF pos) {
                int code = 0;
                for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
                    code |= buttons.testFlag(b) ? buttonCode(b) : 0;
                }
                Picture2_MouseMove(code, shiftCode(modifiers), float(pos.x() * TwipsX()),
                                   float(pos.y() * TwipsY()));
            });
    connect(Picture2, &PictureBox::mousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos) {
                Picture2_MouseDown(buttonCode(button), shiftCode(modifiers),
                                   float(pos.x() * TwipsX()), float(pos.y() * TwipsY()));
            });
    connect(Picture2, &PictureBox::doubleClicked, this, &Form1::Picture2_DblClick);
    connect(timDC, &QTimer::timeout, this, &Form1::timDC_Timer);
}

bool Form1::Form_Load() {
    LoadSettings(settings_);
    Timer1->setInterval(settings_.NoWaitDelay);
    UpdateSourceAppInfo(settings_);
    placement_.FitToScreen();
    settings_.VersionText = QStringLiteral("ver.2.13b");
    settings_.StartupDone = 0;
    settings_.DataFileReady = 0;
    settings_.ImageSource = 0;
    CommentField = QString(10, QLatin1Char(' '));
    settings_.SlopeLocked = 0;
    timDC->setInterval(platform_.system.DoubleClickTime());
    Command1->setEnabled(false);
    Reroad->setEnabled(false);
    Topen->setEnabled(false);
    Undo->setEnabled(false);
    rreroad->setEnabled(false);
    rsave->setEnabled(false);
    mnuInfo->setEnabled(false);

    ShowOptionsDialog();
    settings_.StartupDone = 1;
    if (settings_.OptionsCancelled == 1) {
        return false;
    }

    if (settings_.SourceAppEnabled == 1) {
        for (QAction* item : {paste, Rpaste, Reroad, rreroad, Ropen, mnuOpen}) {
            item->setVisible(false);
        }
        for (QAction* item : {mnuRsource, mnuFromSA, mnuSnP, mnurSnP}) {
            item->setVisible(true);
        }
    }
    setWindowTitle(settings_.CursorShape == 1 ? Prompts::FixSlope : Prompts::StartPoint);
    if (settings_.SourceAppEnabled == 1) {
        LaunchSourceApp();
    }
    return true;
}

void Form1::Form_Resize() {
    if (isMinimized() || (settings_.SourceAppEnabled == 1 && settings_.ImageSource == 2)) {
        return;
    }
    placement_.PlaceTopRight();
}

void Form1::Picture2_Resize() {
    if (settings_.SourceAppEnabled == 1 && settings_.ImageSource == 2) {
        UpdatePictureHost();
        return;
    }
    // The window's outer size follows the picture box: 210 twips wider (at least 6220
    // twips), 1212 twips taller. It is never smaller than what shows the whole picture on
    // this desktop's title and menu bars, and never larger than the screen: a larger
    // picture scrolls inside the window.
    const QSize picture = Picture2->size();
    const QMargins frame = placement_.FrameMargins();
    const QPoint host = PictureHost->pos();
    const int ruleWidth =
        std::max(int(std::lround((picture.width() * TwipsX() + kFrameExtraWidth) / TwipsX())),
                 int(std::lround(kMinimumOuterWidth / TwipsX())));
    const int ruleHeight =
        int(std::lround((picture.height() * TwipsY() + kFrameExtraHeight) / TwipsY()));
    // The comment strip needs its width too where its texts are wider than designed.
    const int stripWidth = chkAI->geometry().right() + 1 + host.x();
    const int neededWidth =
        frame.left() + frame.right() + std::max(2 * host.x() + picture.width(), stripWidth);
    const int neededHeight =
        frame.top() + frame.bottom() + menuBar()->height() + host.y() + picture.height() + host.x();
    const QRect screen = platform_.system.ScreenRect();
    const QSize outer(std::min(std::max(ruleWidth, neededWidth), screen.width()),
                      std::min(std::max(ruleHeight, neededHeight), screen.height()));
    placement_.SetOuterSize(outer);
    UpdatePictureHost();
}

void Form1::UpdatePictureHost() {
    // As large as the picture, within the window.
    const QPoint at = PictureHost->pos();
    const QSize room(std::max(0, central_->width() - at.x()),
                     std::max(0, central_->height() - at.y()));
    const QSize picture = Picture2->size();
    const bool fits = picture.width() <= room.width() && picture.height() <= room.height();
    const Qt::ScrollBarPolicy bars = fits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    PictureHost->setHorizontalScrollBarPolicy(bars);
    PictureHost->setVerticalScrollBarPolicy(bars);
    PictureHost->resize(picture.boundedTo(room));
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    UpdatePictureHost();
    if (!placement_.FollowFrame()) {
        Form_Resize();
    }
}

void Form1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    placement_.FollowFrame();
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The window manager frames the window some time after it is mapped and tells no one;
    // look again a few times until the frame is known.
    for (int delayMs : {0, 50, 200, 500, 1000, 2000}) {
        QTimer::singleShot(delayMs, this, [this] {
            if (!placement_.FollowFrame()) {
                Form_Resize();
            }
        });
    }
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        Form_Activate();
    } else if (event->type() == QEvent::WindowStateChange && !isMinimized()) {
        Form_Resize();
    }
}

void Form1::Form_Activate() {
    if (settings_.MagChanged != 1) {
        return;
    }
    if (settings_.ImageSource == 1) {
        Reroad_Click();
    } else if (settings_.ImageSource == 2) {
        paste_Click();
    }
    settings_.MagChanged = 0;
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    Form_Terminate();
}

void Form1::Form_Unload() {
    if (settings_.SourceAppEnabled == 1) {
        platform_.messages.ShowMessage(this, QStringLiteral("Please close the source app."));
        // The source application may be gone already; closing goes on regardless.
        platform_.desktop.ActivateTask(settings_.SourceAppTaskId);
    }
}

void Form1::Form_Terminate() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != this && widget->isVisible()) {
            widget->close();
        }
    }
}

void Form1::End_Click() {
    close();
}

void Form1::Edit_Click() {
    paste->setEnabled(platform_.clipboard.HasBitmap());
}

void Form1::mnuDOPT_Click() {
    Redraw();
    ShowOptionsDialog();
    ShowStatus();
}

void Form1::mnuRoption_Click() {
    mnuDOPT_Click();
}

void Form1::ShowOptionsDialog() {
    frmOPT dialog(settings_, platform_, this);
    dialog.exec();
    // "&Save" and "&OK" give all five line shapes the chosen width; "&Cancel" leaves it.
    Picture2->SetLineWidth(settings_.LineWidth);
    // A moved magnification bar shows the picture again now, not only when the window
    // manager happens to activate this window.
    Form_Activate();
}

void Form1::Picture2_MouseUp(int Button, int Shift, float X, float Y) {
    Q_UNUSED(Shift);
    Q_UNUSED(X);
    Q_UNUSED(Y);
    if (Button == kLeftButton) {
        return;
    }
    Rpaste->setEnabled(platform_.clipboard.HasBitmap() ||
                       platform_.clipboard.HasDeviceIndependentBitmap());
    RightClick->exec(popupAt_);
    // Every use of the pop-up menu resets the measurement in progress.
    mnuRedoraw_Click();
}

void Form1::Timer1_Timer() {
    Timer1->stop();
    platform_.desktop.FocusOwnWindow(this);
    paste_Click();
    mnuRedoraw_Click();
}

void Form1::Redraw() {
    ApplyMeasure(Measure.Redraw());
}

void Form1::mnuRedoraw_Click() {
    ApplyMeasure(Measure.RedrawImage());
}

void Form1::mnuRreset_Click() {
    mnuRedoraw_Click();
}

void Form1::ShowStatus() {
    if (const auto prompt = Measure.ShowStatus()) {
        ApplyPrompt(*prompt);
    }
}

void Form1::ApplyPrompt(const StatusPrompt& prompt) {
    setWindowTitle(prompt.Caption);
    if (prompt.TransparentCursor) {
        Picture2->setCursor(Qt::BlankCursor);
    }
}

void Form1::Picture2_MouseMove(int Button, int Shift, float X, float Y) {
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    ApplyMeasure(Measure.MouseMove(X, Y, float(Picture2->width() * TwipsX()),
                                   float(Picture2->height() * TwipsY())));
}

void Form1::Picture2_MouseDown(int Button, int Shift, float X, float Y) {
    Q_UNUSED(Shift);
    ApplyMeasure(Measure.MouseDown(Button, X, Y));
}

void Form1::Picture2_DblClick() {
    ApplyMeasure(Measure.DblClick());
}

void Form1::timDC_Timer() {
    ApplyMeasure(Measure.DoubleClickTimeout());
}

void Form1::ApplyMeasure(const MeasureUpdate& update) {
    for (int i = 0; i < 2; ++i) {
        if (const auto& ends = update.GuideLines[i]) {
            Line1[i].SetEnds(ends->X1, ends->Y1, ends->X2, ends->Y2);
        }
    }
    if (const auto& ends = update.RubberBand) {
        Line3.SetEnds(ends->X1, ends->Y1, ends->X2, ends->Y2);
    }
    for (int i = 0; i < 2; ++i) {
        if (const auto& ends = update.FrozenLines[i]) {
            Line2[i].SetEnds(ends->X1, ends->Y1, ends->X2, ends->Y2);
        }
    }
    if (update.FrozenLinesVisible) {
        Line2[0].SetVisible(*update.FrozenLinesVisible);
        Line2[1].SetVisible(*update.FrozenLinesVisible);
    }
    if (update.RubberBandVisible) {
        Line3.SetVisible(*update.RubberBandVisible);
    }
    if (update.DoubleClickTimer == TimerChange::Start) {
        timDC->start();
    } else if (update.DoubleClickTimer == TimerChange::Stop) {
        timDC->stop();
    }
    if (update.ArrowPointer) {
        Picture2->setCursor(Qt::ArrowCursor);
    }
    if (const auto& result = update.Result) {
        mnudX->setText(result->dX);
        mnudY->setText(result->dY);
        mnuDist->setText(result->Dist);
    }
    if (update.ResultTooLong) {
        platform_.messages.ShowMessage(this, MeasureLogic::TooLongMessage());
    }
    if (update.SaveGroupEnabled) {
        SetSaveGroupEnabled(*update.SaveGroupEnabled);
    }
    if (update.FocusComment) {
        Text1->setFocus(Qt::OtherFocusReason);
    }
    if (update.Status) {
        ApplyPrompt(*update.Status);
    }
}

void Form1::LaunchSourceApp() {
    capture_->Launch(this); // a program that cannot start is reported; this one goes on
}

void Form1::mnuOpen_Click() {
    CommonDialog1.Flags = CommonDialog::ReadOnlyChecked + CommonDialog::HideReadOnly;
    if (!CommonDialog1.ShowOpen(this)) {
        return;
    }
    // A file that cannot be shown keeps the previous image, without a message.
    LoadImage(false);
}

void Form1::Ropen_Click() {
    mnuOpen_Click();
}

void Form1::Reroad_Click() {
    LoadImage(true);
}

bool Form1::LoadImage(bool reportFailure) {
    QString error;
    const QImage image = LoadImageFile(CommonDialog1.FileName, &error);
    if (image.isNull() || !ShowImage(image)) {
        if (error.isEmpty()) {
            error = QStringLiteral("There is not enough memory to show this image.");
        }
        if (reportFailure) {
            platform_.messages.ShowMessage(
                this, QStringLiteral("The image file could not be read again:\n%1\n\n%2\n\n"
                                     "The picture shown is kept.")
                          .arg(QDir::toNativeSeparators(CommonDialog1.FileName), error));
        }
        return false;
    }
    settings_.ImageSource = 1;
    Reroad->setEnabled(true);
    rreroad->setEnabled(true);
    mnuInfo->setEnabled(true);
    return true;
}

bool Form1::ShowImage(const QImage& image) {
    // The picture is prepared before anything changes, so one that does not fit in memory
    // leaves the previous one in place.
    const QImage picture = FlattenOnWhite(image);
    const ScaledImage drawing(picture, settings_.MagStep);
    if (picture.isNull() || drawing.isNull()) {
        return false;
    }
    // Sizes in twips of the image at its own size, then the drawing at the magnification.
    settings_.ImageWidth = int32_t(std::nearbyint(picture.width() * TwipsX()));
    settings_.ImageHeight = int32_t(std::nearbyint(picture.height() * TwipsY()));
    Picture2->SetImage(picture, drawing);
    return true;
}

void Form1::rreroad_Click() {
    Reroad_Click();
}

void Form1::paste_Click() {
    if (!platform_.clipboard.HasBitmap() && !platform_.clipboard.HasDeviceIndependentBitmap()) {
        return;
    }
    const QImage image = platform_.clipboard.Bitmap();
    if (image.isNull() || !ShowImage(image)) {
        return;
    }
    settings_.ImageSource = 2;
    mnuInfo->setEnabled(true);
}

void Form1::Rpaste_Click() {
    paste_Click();
}

void Form1::Command1_Click() {
    if (settings_.DataFileReady == 0) {
        SetUpDataFile();
    }
    FileIO();
}

void Form1::SetUpDataFile() {
    CommonDialog2.DialogTitle = QStringLiteral("データファイルの作成");
    CommonDialog2.Filter = QStringLiteral("Txt file (*.txt)|*.txt");
    CommonDialog2.DefaultExt = QStringLiteral("txt");
    CommonDialog2.Flags = CommonDialog::OverwritePrompt + CommonDialog::HideReadOnly;
    // A default path that names no folder (not chosen yet, or gone) opens the home folder.
    CommonDialog2.InitDir =
        QFileInfo(settings_.DefaultDataPath).isDir() ? settings_.DefaultDataPath : QDir::homePath();
    // A cancel is a cancel, also after an earlier choice whose file could not be made.
    if (!CommonDialog2.ShowSave(this) || CommonDialog2.FileName.isEmpty()) {
        return;
    }
    if (settings_.DataFormat < 0 || settings_.DataFormat > 4) {
        settings_.DataFormat = 0; // as on loading the settings: never an empty header
    }
    // A file that cannot be made is not reported: the record stays pending and the next
    // save asks again.
    if (!CreateDataFile(CommonDialog2.FileName, HeaderLine(settings_.DataFormat))) {
        return;
    }
    settings_.DataFileReady = 1;
    mnuNOTEPAD->setEnabled(true);
}

void Form1::FileIO() {
    // The editor started on the data file has its own copy of the text: no row goes in
    // while it runs.
    if (settings_.EditorRunning == 1) {
        if (platform_.processes.IsRunning(settings_.EditorTaskId)) {
            platform_.messages.ShowMessage(
                this, QStringLiteral("データファイルがまだ編集中です。メモ帳を終了してください。"));
            platform_.desktop.ActivateTask(settings_.EditorTaskId);
            return;
        }
        settings_.EditorRunning = 0;
    }
    // Without a data file, or when the backup or the append fails, nothing is written and
    // the record stays pending; the data file is never left half written.
    if (settings_.DataFileReady == 0) {
        return;
    }
    const QString dataPath = CommonDialog2.FileName;
    if (!RefreshBackup(dataPath, BackupPathFor(dataPath, BackupFolder()))) {
        return;
    }
    CommentField = CommentFieldFrom(Text1->text());
    const QString row = RowLine(settings_.DataFormat, Measure.LastDist, Measure.LastDX,
                                Measure.LastDY, CommentField, DataLine);
    if (!AppendLine(dataPath, row)) {
        return;
    }
    Undo->setEnabled(true);
    SetSaveGroupEnabled(false);
    if (chkAI->isChecked()) {
        // The row keeps the comment it was saved with; the next one gets the next number.
        const int caret = Text1->cursorPosition();
        Text1->setText(AutoI(Text1->text()));
        Text1->setCursorPosition(caret);
    }
}

void Form1::SetSaveGroupEnabled(bool enabled) {
    for (QAction* item : {rsave, Topen, mnurSnP, mnuSnP}) {
        item->setEnabled(enabled);
    }
    Command1->setEnabled(enabled);
}

void Form1::Text1_Change() {
    if (CharacterCount(Text1->text()) > kCommentLength) {
        platform_.messages.Beep();
        Text1->setText(FirstCharacters(Text1->text(), kCommentLength));
        Text1->setCursorPosition(int(Text1->text().size()));
    }
}

void Form1::Text1_GotFocus() {
    Text1->setSelection(0, int(Text1->text().size()));
}

void Form1::Text1_KeyDown(int KeyCode, int Shift) {
    Q_UNUSED(Shift);
    if (KeyCode == kEnterKey && Command1->isEnabled()) {
        Command1_Click();
    }
}

void Form1::Topen_Click() {
    Command1_Click();
}

void Form1::rsave_Click() {
    Command1_Click();
}

void Form1::mnuSnP_Click() {
    Command1_Click();
    mnuRsource_Click(); // the next picture comes whatever the save did
}

void Form1::mnurSnP_Click() {
    mnuSnP_Click();
}

void Form1::Undo_Click() {
    const QString dataPath = CommonDialog2.FileName;
    QString error;
    if (!RestoreBackup(BackupPathFor(dataPath, BackupFolder()), dataPath, &error)) {
        // The data file is as it was, and the row can still be taken back later.
        platform_.messages.ShowMessage(
            this, QStringLiteral("The last row could not be taken back:\n%1\n\nThe data file "
                                 "%2 is unchanged.")
                      .arg(error, QDir::toNativeSeparators(dataPath)));
        return;
    }
    Undo->setEnabled(false);
}

void Form1::mnuNOTEPAD_Click() {
    const std::optional<EditorCommand> editor = SystemTextEditor();
    if (!editor) {
        platform_.messages.ShowMessage(
            this, QStringLiteral("No text editor was found to open the data file.\n\nSet the "
                                 "VISUAL environment variable to your editor, for example "
                                 "VISUAL=mousepad."));
        return;
    }
    // The path is one argument as it stands, spaces and all.
    QString error;
    const int32_t taskId = platform_.processes.Launch(
        editor->program, editor->arguments + QStringList{CommonDialog2.FileName}, &error);
    if (taskId == 0) {
        platform_.messages.ShowMessage(
            this, QStringLiteral("The text editor could not be started:\n%1").arg(error));
        return;
    }
    settings_.EditorTaskId = taskId;
    settings_.EditorRunning = 1;
}

void Form1::mnuFromSA_Click() {
    mnuRsource_Click();
}

void Form1::mnuRsource_Click() {
    ApplyCapture(capture_->Capture(this));
}

void Form1::RestartSourceApp() {
    ApplyCapture(capture_->Restart(this));
}

void Form1::ApplyCapture(CaptureStep next) {
    switch (next) {
    case CaptureStep::PasteNow:
        paste_Click();
        mnuRedoraw_Click();
        break;
    case CaptureStep::PasteLater:
        // One timer: a capture while a paste is pending moves that one paste later.
        Timer1->start(settings_.NoWaitDelay);
        break;
    case CaptureStep::Restart:
        RestartSourceApp();
        break;
    case CaptureStep::EndProgram:
        close();
        break;
    case CaptureStep::Nothing:
        break;
    }
}

void Form1::mnuHelp_Click() {
    Help->ShowContents(this);
}

void Form1::mnuInfo_Click() {
    frmImageInfo dialog(settings_, CommonDialog1.FileTitle, platform_.system, this);
    dialog.exec();
}

void Form1::mnuaboutLQ_Click() {
    aboutDialog dialog(settings_, platform_.system, this);
    dialog.exec();
}
