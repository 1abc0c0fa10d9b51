// fakecapture: a stand-in for the source application in the tests. It shows a window titled
// "fakecapture" that takes the keyboard focus; on Alt+P it puts a known picture on the
// clipboard and stays alive to hand it over (on X11 a copied picture lives in its owner).
//
// Linealis starts its source application without arguments, so the tests steer this one
// through the environment it inherits:
//   FAKECAPTURE_LOG        file to append one line to per event: "started", "key Alt+P",
//                          "copied N" (N counts the pictures, from 1)
//   FAKECAPTURE_DELAY_MS   copy this many milliseconds after the key (a slow capture)
//   FAKECAPTURE_EXIT_NOW   when set to 1, end at once without a window (a program that cannot
//                          be activated)
//
// Picture N is kPictureSize, filled with CaptureColour(N) and ruled by a dark grid every 40
// pixels starting at 0, so the pixel (20, 20) always shows the fill.
#include "fakecapture.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

void log(const QByteArray& line) {
    const QString path = qEnvironmentVariable("FAKECAPTURE_LOG");
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(line + '\n');
    }
}

QImage Picture(int number) {
    QImage picture(fakecapture::kPictureSize, QImage::Format_RGB32);
    picture.fill(fakecapture::CaptureColour(number));
    QPainter painter(&picture);
    painter.setPen(QColor(40, 40, 40));
    for (int x = 0; x < picture.width(); x += 40) {
        painter.drawLine(x, 0, x, picture.height() - 1);
    }
    for (int y = 0; y < picture.height(); y += 40) {
        painter.drawLine(0, y, picture.width() - 1, y);
    }
    return picture;
}

class CaptureWindow : public QWidget {
public:
    explicit CaptureWindow(int delayMs)
        : delayMs_(delayMs) {
        setWindowTitle(QStringLiteral("fakecapture"));
        setFocusPolicy(Qt::StrongFocus);
        resize(260, 120);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Alt || event->key() == Qt::Key_Shift ||
            event->key() == Qt::Key_Control || event->key() == Qt::Key_Meta) {
            return;
        }
        const QKeySequence key(QKeyCombination(event->modifiers(), Qt::Key(event->key())));
        log("key " + key.toString(QKeySequence::PortableText).toUtf8());
        if (event->key() == Qt::Key_P && event->modifiers() == Qt::AltModifier) {
            QTimer::singleShot(delayMs_, this, [this] { Copy(); });
        }
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(250, 250, 240));
        painter.drawText(rect(), Qt::AlignCenter,
                         QStringLiteral("fakecapture\nAlt+P copies picture %1").arg(copied_ + 1));
    }

private:
    void Copy() {
        ++copied_;
        QGuiApplication::clipboard()->setImage(Picture(copied_));
        log("copied " + QByteArray::number(copied_));
        update();
    }

    int delayMs_;
    int copied_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariable("FAKECAPTURE_EXIT_NOW") == QLatin1String("1")) {
        log("exited at once");
        return 0;
    }
    QApplication app(argc, argv);
    bool ok = false;
    const int delayMs = qEnvironmentVariableIntValue("FAKECAPTURE_DELAY_MS", &ok);
    CaptureWindow window(ok && delayMs > 0 ? delayMs : 0);
    window.show();
    window.activateWindow();
    log("started");
    return app.exec();
}
