// The clipboard's two bitmap queries and the image taken from it, on the toolkit's own
// clipboard.
#include "platform/QtClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class Clipboard : public ::testing::Test {
protected:
    void TearDown() override { QGuiApplication::clipboard()->clear(); }

    void offer(const QString& type, const QByteArray& bytes) {
        auto* data = new QMimeData;
        data->setData(type, bytes);
        QGuiApplication::clipboard()->setMimeData(data);
    }

    QtClipboard clipboard;
};

TEST_F(Clipboard, EachKindAnswersItsOwnQuery) {
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(clipboard.HasBitmap());
    EXPECT_FALSE(clipboard.HasDeviceIndependentBitmap());
    EXPECT_TRUE(clipboard.Bitmap().isNull());

    QGuiApplication::clipboard()->setImage(image); // a bitmap
    EXPECT_TRUE(clipboard.HasBitmap());
    EXPECT_FALSE(clipboard.HasDeviceIndependentBitmap());

    offer(QStringLiteral("image/bmp"), encoded(image, "BMP")); // a device-independent bitmap
    EXPECT_TRUE(clipboard.HasDeviceIndependentBitmap());
    const QImage taken = clipboard.Bitmap();
    ASSERT_EQ(taken.size(), QSize(30, 20));
    EXPECT_EQ(taken.pixel(5, 5), image.pixel(5, 5));

    offer(QStringLiteral("text/plain"), "not a picture");
    EXPECT_FALSE(clipboard.HasBitmap());
    EXPECT_FALSE(clipboard.HasDeviceIndependentBitmap());
}

TEST_F(Clipboard, BrokenOrHostileBitmapsGiveNoImage) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray huge = encoded(image, "BMP");
    for (int i = 0; i < 4; ++i) { // claim 100000 x 100000 pixels
        huge[18 + i] = char((100000 >> (8 * i)) & 0xff);
        huge[22 + i] = char((100000 >> (8 * i)) & 0xff);
    }
    const QByteArray cases[] = {QByteArray(), QByteArray("BM"), encoded(image, "BMP").left(40),
                                huge};
    for (const QByteArray& bytes : cases) {
        offer(QStringLiteral("image/bmp"), bytes);
        EXPECT_TRUE(clipboard.Bitmap().isNull()) << bytes.size();
    }
}

TEST_F(Clipboard, WaitEndsWhenANewImageArrivesAndNotBefore) {
    using std::chrono::milliseconds;
    QImage image(12, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image); // an image from before does not count

    const struct {
        const char* what;
        std::function<void()> copy; // what another program puts on the clipboard, 150 ms on
        bool arrives;
    } cases[] = {
        {"a new image", [&] { QGuiApplication::clipboard()->setImage(image); }, true},
        {"text only", [&] { QGuiApplication::clipboard()->setText("text"); }, false},
        {"nothing", [] {}, false},
        {"first cleared, then an image",
         [&] {
             QGuiApplication::clipboard()->clear();
             QTimer::singleShot(100, [&] { QGuiApplication::clipboard()->setImage(image); });
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const uint64_t before = clipboard.ChangeSerial();
        QTimer::singleShot(150, c.copy);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(clipboard.WaitForImageSince(before, milliseconds(800)), c.arrives);
        if (c.arrives) {
            EXPECT_GE(timer.elapsed(), 140);
            EXPECT_LT(timer.elapsed(), 700);
            EXPECT_GT(clipboard.ChangeSerial(), before);
        } else {
            EXPECT_GE(timer.elapsed(), 790); // the whole bound, and no more
            EXPECT_LT(timer.elapsed(), 1800);
        }
    }
    // A change that came before the wait ends it at once.
    const uint64_t before = clipboard.ChangeSerial();
    QGuiApplication::clipboard()->setImage(image);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(clipboard.WaitForImageSince(before, milliseconds(1500)));
    EXPECT_LT(timer.elapsed(), 100);
}

} // namespace
