// Broken, lying and oversized image files (tests/hostile/images/): each is refused cleanly, or
// decodes to the size the file honestly holds, without a large allocation; opening a refused
// one keeps the picture shown. The image fuzz target's checks run over its seed corpus and
// every input that once failed.
#include "acquisition/ImageLoader.h"
#include "mainwindow/PictureBox.h"
#include "support/Form1Fixture.h"
#include "support/FuzzInputs.h"

#include <QDataStream>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>

namespace {

using namespace testing_support;

const QString kImages = SourcePath("tests/hostile/images");

// expected.txt: "file: refused" or "file: WxH" per line.
std::map<QString, QString> ExpectedOutcomes() {
    std::map<QString, QString> outcomes;
    QFile file(kImages + "/expected.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return outcomes;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype colon = line.indexOf(u':');
        if (!line.startsWith(u'#') && colon > 0) {
            outcomes[line.first(colon)] = line.sliced(colon + 1).trimmed();
        }
    }
    return outcomes;
}

// The most memory the process has held so far, in megabytes.
long PeakMemoryMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

TEST(HostileImages, EachIsRefusedOrDecodesToItsTrueSize) {
    const std::map<QString, QString> expected = ExpectedOutcomes();
    ASSERT_GE(expected.size(), 20u);
    const long peakBefore = PeakMemoryMb();
    for (const QString& path : InputFiles(kImages)) {
        const QString name = QFileInfo(path).fileName();
        if (name == "expected.txt") {
            continue;
        }
        SCOPED_TRACE(name.toStdString());
        const auto outcome = expected.find(name);
        ASSERT_NE(outcome, expected.end()) << "every file needs a line in expected.txt";
        QString error;
        const QImage image = LoadImageFile(path, &error);
        if (outcome->second == "refused") {
            EXPECT_TRUE(image.isNull());
            EXPECT_FALSE(error.isEmpty());
        } else {
            const QStringList size = outcome->second.split(u'x');
            ASSERT_EQ(size.size(), 2);
            EXPECT_EQ(image.size(), QSize(size[0].toInt(), size[1].toInt())) << error.toStdString();
        }
        // The display path after a load, with the fuzz target's checks.
        RunFuzzTarget(FuzzImageLoading, ReadBytes(path), name);
    }
    // Hundreds of megabytes would mean a decoder filled a gigantic image before failing.
    EXPECT_LT(PeakMemoryMb() - peakBefore, 200);
}

TEST(HostileImages, EverySeedAndKeptInputPassesTheImageTargetsChecks) {
    const QStringList inputs = FuzzInputs("image_loading");
    EXPECT_FALSE(inputs.isEmpty());
    for (const QString& path : inputs) {
        RunFuzzTarget(FuzzImageLoading, ReadBytes(path), path);
    }
}

// An 8-bit run-length BMP of `size` whose first code ends the pixels: every pixel is skipped.
QByteArray RunLengthBmpEndingAtOnce(QSize size, QRgb firstColour) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 pixelOffset = 14 + 40 + 2 * 4;
    out.writeRawData("BM", 2);
    out << quint32(pixelOffset + 2) << quint32(0) << pixelOffset;
    out << quint32(40) << qint32(size.width()) << qint32(size.height()) << quint16(1) << quint16(8)
        << quint32(1) << quint32(2) << qint32(2835) << qint32(2835) << quint32(2) << quint32(0);
    out << quint32(firstColour & 0xffffff) << quint32(0xffffff); // blue, green, red, 0
    out << quint8(0) << quint8(1);                               // end of the pixels
    return bytes;
}

TEST(HostileImages, PixelsARunLengthFileSkipsTakeTheFirstPaletteColour) {
    // Large enough that its memory comes from blocks used before, which hold old bytes.
    const QSize size(300, 200);
    const QTemporaryDir dir;
    const QString path = dir.filePath("skipped.bmp");
    ASSERT_TRUE(WriteBytes(path, RunLengthBmpEndingAtOnce(size, qRgb(0x33, 0x66, 0x99))));
    for (int attempt = 0; attempt < 3; ++attempt) {
        QImage garbage(size, QImage::Format_Indexed8); // leaves old bytes behind when freed
        garbage.fill(0x5a);
        garbage = QImage();
        const QImage image = LoadImageFile(path);
        ASSERT_EQ(image.size(), size);
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        int wrong = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                wrong += rgb.pixel(x, y) != qRgb(0x33, 0x66, 0x99) ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

class HostileImagesInTheWindow : public Form1Fixture {};

TEST_F(HostileImagesInTheWindow, ARefusedFileKeepsThePictureShown) {
    ASSERT_TRUE(start());
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString good = xdg.root() + "/good.bmp";
    ASSERT_TRUE(picture.save(good, "BMP"));

    for (const auto& [name, outcome] : ExpectedOutcomes()) {
        if (outcome != "refused") {
            continue;
        }
        SCOPED_TRACE(name.toStdString());
        fake.fileDialogs.answers.push_back(good);
        form->mnuOpen->trigger();
        ASSERT_EQ(form->Picture2->Picture().size(), QSize(120, 80));

        fake.fileDialogs.answers.push_back(kImages + "/" + name);
        form->mnuOpen->trigger();
        EXPECT_EQ(form->Picture2->Picture().size(), QSize(120, 80));
        EXPECT_EQ(settings.ImageSource, 1);
        EXPECT_EQ(settings.ImageWidth, 120 * 15);
        EXPECT_EQ(settings.ImageHeight, 80 * 15);
        // Reloading it reports the failure once and still keeps the picture.
        const qsizetype messages = fake.messages.shown.size();
        form->Reroad->trigger();
        EXPECT_EQ(fake.messages.shown.size(), messages + 1);
        EXPECT_EQ(form->Picture2->Picture().size(), QSize(120, 80));
    }
}

} // namespace
