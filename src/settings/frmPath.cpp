#include "settings/frmPath.h"

#include "platform/MessageService.h"
#include "platform/PlatformServices.h"
#include "platform/SystemInfo.h"
#include "settings/DialogParts.h"
#include "settings/SettingsModule.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <cmath>

namespace {

// lq.ini values are read back at most this many bytes long, blanks around them removed.
constexpr qsizetype kIniValueBytes = 49;

// True when `value` written to lq.ini reads back exactly as it is.
bool ReadsBackUnchanged(const QString& value) {
    return value.toUtf8().size() <= kIniValueBytes && value == value.trimmed() &&
           !value.contains(u'\n') && !value.contains(u'\r') && !value.contains(QChar(0));
}

} // namespace

frmPath::frmPath(SettingsModule& settings, PlatformServices& platform,
                 ElidedLabel* optionsPathLabel, QWidget* parent)
    : QDialog(parent)
    , settings_(settings)
    , platform_(platform)
    , optionsPathLabel_(optionsPathLabel) {
    setObjectName(QStringLiteral("frmPath"));
    setWindowTitle(QStringLiteral("Default Path set up"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    const double tx = platform.system.TwipsPerPixelX();
    const double ty = platform.system.TwipsPerPixelY();
    const auto size = [tx, ty](int width, int height) {
        return QSize(int(std::lround(width / tx)), int(std::lround(height / ty)));
    };
    const auto x = [tx](int twips) { return int(std::lround(twips / tx)); };
    const auto y = [ty](int twips) { return int(std::lround(twips / ty)); };

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setReadOnly(true);
    model_->setRootPath(QStringLiteral("/"));

    Dir1 = new QTreeView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) {
        Dir1->hideColumn(column);
    }
    Dir1->setHeaderHidden(true);
    Dir1->setMinimumSize(size(2715, 1920));
    Dir1->setSelectionMode(QAbstractItemView::SingleSelection);

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setMinimumSize(size(2115, 315));
    Drive1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Drive1->setMinimumContentsLength(12);

    lblPath = new ElidedLabel(this);
    lblPath->setObjectName(QStringLiteral("lblPath"));
    lblPath->setAlignment(Qt::AlignCenter);
    lblPath->setMinimumSize(size(4635, 435));

    const QString captions[3] = {QStringLiteral("&Save"), QStringLiteral("&OK"),
                                 QStringLiteral("&Cancel")};
    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(x(3060 - 2760), y(540 - 60 - 315), 0, 0);
    buttons->setSpacing(y(1020 - 540 - 375));
    for (int i = 0; i < 3; ++i) {
        cmdPath[i] = new QPushButton(captions[i], this);
        cmdPath[i]->setObjectName(QStringLiteral("cmdPath%1").arg(i));
        cmdPath[i]->setAutoDefault(false);
        cmdPath[i]->setMinimumSize(size(1575, 375));
        buttons->addWidget(cmdPath[i]);
        connect(cmdPath[i], &QPushButton::clicked, this, [this, i] { cmdPath_Click(i); });
    }
    buttons->addStretch(1);
    cmdPath[1]->setDefault(true);

    auto* side = new QVBoxLayout;
    side->setSpacing(0);
    side->addWidget(Drive1);
    side->addLayout(buttons, 1);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, y(60), x(4920 - 2760 - 2115), y(2715 - 2160 - 435));
    layout->setHorizontalSpacing(x(2760 - 2715));
    layout->setVerticalSpacing(y(2160 - 60 - 1920));
    layout->addWidget(Dir1, 0, 0);
    layout->addLayout(side, 0, 1);
    layout->addWidget(lblPath, 1, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmPath::Dir1_Change);
    // The tree reads and sorts folders in the background: keep the open folder in view as they
    // come, until the user takes over.
    connect(model_, &QFileSystemModel::directoryLoaded, this, &frmPath::ScrollToCurrent);
    connect(model_, &QFileSystemModel::layoutChanged, this, &frmPath::ScrollToCurrent,
            Qt::QueuedConnection);
    connect(model_, &QFileSystemModel::rowsInserted, this, &frmPath::ScrollToCurrent,
            Qt::QueuedConnection);
    Dir1->viewport()->installEventFilter(this);
    Dir1->installEventFilter(this);
    connect(Dir1->verticalScrollBar(), &QScrollBar::sliderPressed, this,
            [this] { followCurrent_ = false; });
    // Only a pick by the user moves the tree; selecting an entry from here leaves it alone.
    connect(Drive1, &QComboBox::activated, this, &frmPath::Drive1_Change);

    Form_Load();

    // Shown at its own place on the screen, not centred.
    const QRect screen = platform.system.ScreenRect();
    move(screen.x() + x(2130), screen.y() + y(2100));
}

QString frmPath::NotStorableMessage() {
    return QStringLiteral("The settings file cannot keep this folder's path as it is (it "
                          "holds at most 49 bytes, without blanks at either end).\n\n"
                          "The folder is used until Linealis ends, but it is not saved.");
}

void frmPath::Form_Load() {
    // A path that names no directory (an absent entry reads as "lq.ini") opens the home
    // folder instead.
    if (!SetDir1Path(settings_.DefaultDataPath) && !SetDir1Path(QDir::homePath())) {
        SetDir1Path(QStringLiteral("/"));
    }
    FillDrives(MountedVolumes());
}

QString frmPath::Dir1Path() const {
    const QModelIndex current = Dir1->currentIndex();
    return current.isValid() ? model_->filePath(current) : QString();
}

bool frmPath::SetDir1Path(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isAbsolute() || !info.isDir() || !info.isExecutable()) {
        return false;
    }
    const QModelIndex index = model_->index(QDir::cleanPath(info.absoluteFilePath()));
    if (!index.isValid()) {
        return false;
    }
    const bool moved = Dir1->currentIndex() != index;
    followCurrent_ = true;
    Dir1->setCurrentIndex(index);
    Dir1->expand(index);
    ScrollToCurrent();
    if (!moved) {
        Dir1_Change(); // no change of the current index, so no signal
    }
    return true;
}

void frmPath::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &frmPath::ScrollToCurrent);
}

bool frmPath::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        followCurrent_ = false;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmPath::ScrollToCurrent() {
    if (followCurrent_ && Dir1->currentIndex().isValid()) {
        Dir1->scrollTo(Dir1->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
}

void frmPath::Dir1_Change() {
    lblPath->setText(Dir1Path());
}

void frmPath::FillDrives(const QList<Volume>& volumes) {
    volumes_ = volumes;
    Drive1->clear();
    for (const Volume& volume : volumes_) {
        Drive1->addItem(volume.Caption);
    }
    SelectDriveOf(Dir1Path());
}

void frmPath::SelectDriveOf(const QString& path) {
    Drive1->setCurrentIndex(int(VolumeIndexOf(volumes_, path)));
}

void frmPath::Drive1_Change(int index) {
    if (index < 0 || index >= volumes_.size()) {
        return;
    }
    const QString root = volumes_[index].RootPath;
    if (VolumeIsReady(root) && SetDir1Path(root)) {
        return;
    }
    platform_.messages.ShowMessage(
        this, QStringLiteral("ドライブの準備ができているか確かめてください。"));
    // Back to the last directory the tree showed.
    SetDir1Path(lblPath->text());
    SelectDriveOf(lblPath->text());
}

void frmPath::cmdPath_Click(int Index) {
    if (Index == 0 || Index == 1) {
        settings_.DefaultDataPath = Dir1Path();
        if (optionsPathLabel_ != nullptr) {
            optionsPathLabel_->setText(settings_.DefaultDataPath);
        }
    }
    if (Index == 0) {
        // A path lq.ini would give back shortened or changed is not written: the next start
        // would look in another folder.
        if (ReadsBackUnchanged(settings_.DefaultDataPath)) {
            WriteIniString(settings_.IniPath, QStringLiteral("options"), QStringLiteral("datapath"),
                           settings_.DefaultDataPath);
        } else {
            platform_.messages.ShowMessage(this, NotStorableMessage());
        }
    }
    if (Index == 2) {
        reject();
    } else {
        accept();
    }
}
