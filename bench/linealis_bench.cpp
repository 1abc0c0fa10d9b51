// Performance figures of Linealis, each a ratio of two costs measured in the same run, so
// that the figures hold on a slow or busy machine too. Not a test: it prints and exits 0.
//
//   linealis_bench [--quick]
#include "acquisition/ImageLoader.h"
#include "acquisition/ScaledImage.h"
#include "mainwindow/LineControl.h"
#include "mainwindow/Measurement.h"
#include "mainwindow/PictureBox.h"
#include "settings/SettingsModule.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollArea>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

// The median of `runs` timings of `work`, in milliseconds.
double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

QImage patterned(QSize size, QImage::Format format) {
    QImage image(size, format);
    for (int y = 0; y < size.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (qsizetype x = 0; x < image.bytesPerLine(); ++x) {
            line[x] = uchar(x * 7 + y * 3);
        }
    }
    return image;
}

void imageFigures(int runs) {
    QTemporaryDir dir;
    const QString path = dir.filePath("scan.bmp");
    {
        const QImage scan = patterned(QSize(6000, 4000), QImage::Format_RGB888);
        scan.save(path, "BMP");
    }
    const double baseline = peakMiB();
    const double decode = medianMs(runs, [&] { LoadImageFile(path); });

    // Open and show at 150 %: decode, prepare, scale, and paint what a window shows.
    QWidget window;
    window.resize(1280, 1000);
    auto* host = new QScrollArea(&window);
    host->setGeometry(0, 0, 1280, 1000);
    auto* box = new PictureBox;
    host->setWidget(box);
    window.show();
    QCoreApplication::processEvents();
    QImage shown(1280, 1000, QImage::Format_RGB32);
    const double openAndShow = medianMs(runs, [&] {
        const QImage picture = FlattenOnWhite(LoadImageFile(path));
        box->SetImage(picture, ScaledImage(picture, 3));
        window.render(&shown);
    });
    const double scaleOnly = medianMs(runs, [&] { ScaledImage(box->Picture(), 3).toImage(); });
    const double decodedMiB = 6000.0 * 4000 * 4 / (1 << 20);
    const double scaledMiB = 9000.0 * 6000 * 4 / (1 << 20);
    const double peak = peakMiB() - baseline;

    std::printf("Image, 6000 x 4000 24-bit BMP shown at 150 %%\n");
    std::printf("  decode alone                 %8.1f ms\n", decode);
    std::printf("  scaling the whole image       %8.1f ms (made only as it is shown)\n", scaleOnly);
    std::printf("  open and show                %8.1f ms\n", openAndShow);
    std::printf("  open and show / decode       %8.2f   (bar: at most 1.50)\n",
                openAndShow / decode);
    std::printf("  peak memory above start      %8.0f MiB (bar: decoded %.0f + scaled %.0f + 64 "
                "= %.0f MiB)\n",
                peak, decodedMiB, scaledMiB, decodedMiB + scaledMiB + 64);
}

// One mouse move of the cross-hair in `shape` over the shown picture: the new lines worked out
// and the pixels under the old and new lines repainted. Milliseconds per move, the median
// of `moves` moves along a path across the picture.
double crossHairMoveMs(PictureBox& box, int shape, int moves) {
    SettingsModule settings;
    settings.CursorShape = int16_t(shape);
    settings.MagStep = 2;
    settings.MeasureState = shape == 1 ? -1 : 0;
    MeasureLogic measure(settings);
    LineControl line1[2];
    line1[0].Bind(&box, 0, PictureBox::LineStyle::Dashed, 15, 15);
    line1[1].Bind(&box, 1, PictureBox::LineStyle::Dashed, 15, 15);
    line1[0].SetVisible(true);
    line1[1].SetVisible(true);
    const float W = float(box.width() * 15);
    const float H = float(box.height() * 15);
    int step = 0;
    const double ms = medianMs(moves, [&] {
        // Off the centre lines, so the free-angle cross really turns.
        const float X = float((137 + 53 * step) % box.width()) * 15 + 7;
        const float Y = float((91 + 41 * step) % box.height()) * 15 + 7;
        ++step;
        const MeasureUpdate update = measure.MouseMove(X, Y, W, H);
        for (int i = 0; i < 2; ++i) {
            if (update.GuideLines[i]) {
                const LineEnds& e = *update.GuideLines[i];
                line1[i].SetEnds(e.X1, e.Y1, e.X2, e.Y2);
            }
        }
        QCoreApplication::processEvents(); // the repaint of what changed
    });
    line1[0].SetVisible(false);
    line1[1].SetVisible(false);
    QCoreApplication::processEvents();
    return ms;
}

void crossHairFigures(int runs) {
    const QImage picture = patterned(QSize(8000, 6000), QImage::Format_RGB32);
    PictureBox box;
    box.SetImage(picture, ScaledImage(picture, 2));
    box.show(); // shown whole: a top-level window of 8000 x 6000 pixels
    QCoreApplication::processEvents();
    const double full = medianMs(runs, [&] {
        box.update();
        QCoreApplication::processEvents();
    });
    const double axis = crossHairMoveMs(box, 0, 25 * runs);
    const double freeAngle = crossHairMoveMs(box, 1, 25 * runs);
    std::printf("Cross-hair over an 8000 x 6000 picture shown whole\n");
    std::printf("  full repaint of the picture  %8.2f ms\n", full);
    std::printf("  one move, axis-parallel      %8.2f ms\n", axis);
    std::printf("  one move, free angle         %8.2f ms\n", freeAngle);
    std::printf("  full repaint / move          %8.1f   (bar: at least 20, aim 50)\n",
                full / std::max(axis, freeAngle));
    std::printf("  free angle / axis-parallel   %8.2f   (bar: at most 2)\n", freeAngle / axis);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const bool quick = QCoreApplication::arguments().contains(QStringLiteral("--quick"));
    const int runs = quick ? 3 : 7;
    imageFigures(runs);
    crossHairFigures(runs);
    return 0;
}
