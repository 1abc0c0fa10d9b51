#include "acquisition/frmImageInfo.h"

#include "platform/SystemInfo.h"
#include "settings/SettingsModule.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace {

// A number in its shortest decimal form: 640, 639.5.
QString shortest(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

frmImageInfo::frmImageInfo(const SettingsModule& settings, const QString& fileTitle,
                           const ISystemInfo& system, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmImageInfo"));
    setWindowTitle(QStringLiteral("Information of image"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    const double tx = system.TwipsPerPixelX();
    const double ty = system.TwipsPerPixelY();
    const auto px = [tx, ty](int left, int top, int width, int height) {
        return QRect(int(std::lround(left / tx)), int(std::lround(top / ty)),
                     int(std::lround(width / tx)), int(std::lround(height / ty)));
    };
    const auto label = [this](const char* name, const QString& text, QRect where) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        // Never narrower than the text needs (large or CJK fonts).
        where.setWidth(std::max(where.width(), l->sizeHint().width()));
        l->setGeometry(where);
        return l;
    };
    Label2 = label("Label2", QStringLiteral("File name :"), px(60, 180, 2475, 375));
    Label1 = label("Label1", QStringLiteral("Width × Height :"), px(60, 780, 2475, 375));
    Label3 = label("Label3", QStringLiteral("Now magnification :"), px(60, 1380, 2475, 375));
    txtFN = label("txtFN", QString(), px(2700, 180, 2535, 375));
    txtInfo = label("txtInfo", QString(), px(2700, 780, 2595, 375));
    txtMagnify = label("txtMagnify", QString(), px(2700, 1380, 2595, 375));

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(px(2160, 2040, 1275, 495));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmImageInfo::Command1_Click);

    Form_Load(settings, fileTitle, system);

    // Grow to whatever the texts need, never below the design size.
    QSize client(int(std::lround(5385 / tx)), int(std::lround(2655 / ty)));
    for (const QWidget* child : findChildren<QWidget*>()) {
        client =
            client.expandedTo(QSize(child->geometry().right() + 8, child->geometry().bottom() + 8));
    }
    setFixedSize(client);

    // Centred on the screen every time it opens.
    const QRect screen = system.ScreenRect();
    move(screen.x() + screen.width() / 2 - width() / 2,
         screen.y() + screen.height() / 2 - height() / 2);
}

void frmImageInfo::Form_Load(const SettingsModule& settings, const QString& fileTitle,
                             const ISystemInfo& system) {
    txtFN->setText(fileTitle);
    txtFN->setGeometry(txtFN->geometry().adjusted(
        0, 0, std::max(0, txtFN->sizeHint().width() - txtFN->width()), 0));
    txtInfo->setText(
        shortest(settings.ImageWidth / system.TwipsPerPixelX()) + QStringLiteral(" × ") +
        shortest(settings.ImageHeight / system.TwipsPerPixelY()) + QStringLiteral(" pixels"));
    txtMagnify->setText(QLatin1Char(' ') + shortest(100.0 * settings.MagStep / 2.0) +
                        QStringLiteral(" %"));
    for (QLabel* value : {txtInfo, txtMagnify}) {
        QRect r = value->geometry();
        r.setWidth(std::max(r.width(), value->sizeHint().width()));
        value->setGeometry(r);
    }
}

void frmImageInfo::Command1_Click() {
    accept();
}
