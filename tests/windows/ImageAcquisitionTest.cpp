// Images in: open, reload, paste, magnification, the window following the picture, broken
// files, large pictures, and the image information dialog.
#include "acquisition/frmImageInfo.h"
#include "mainwindow/PictureBox.h"
#include "support/Form1Fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace testing_support;

// A 24-bit BMP of `size` pixels: left half red, right half blue.
QImage twoColourImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = size.width() / 2; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb(0, 0, 255));
        }
    }
    return image;
}

class ImageAcquisition : public Form1Fixture {
protected:
    QString writeBmp(const QString& name, QSize size) {
        const QString path = xdg.root() + "/" + name;
        EXPECT_TRUE(twoColourImage(size).save(path, "BMP"));
        return path;
    }

    QString writeBytes(const QString& name, const QByteArray& bytes) {
        const QString path = xdg.root() + "/" + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    void open(const QString& path) {
        fake.fileDialogs.answers.push_back(path);
        form->mnuOpen->trigger();
    }

    // The window's outer size by the rule: 210 twips wider than the picture box (at least
    // 6220 twips) and 1212 twips taller, at 15 twips per pixel.
    static QSize ruleSize(QSize box) {
        return {std::max(int(std::lround((box.width() * 15 + 210) / 15.0)), 415),
                int(std::lround((box.height() * 15 + 1212) / 15.0))};
    }
};

TEST_F(ImageAcquisition, OpeningA640By480BitmapAtEachStep) {
    fake.system.screen = QRect(0, 0, 4000, 3000); // everything fits
    const QString path = writeBmp("graph.bmp", QSize(640, 480));
    const struct {
        QByteArray step;
        QSize box;
    } cases[] = {{"1", {320, 240}}, {"2", {640, 480}}, {"3", {960, 720}}, {"4", {1280, 960}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step.toStdString());
        writeIni("[options]\nMagRate=" + c.step + "\n");
        ASSERT_TRUE(start());
        open(path);
        EXPECT_EQ(form->Picture2->size(), c.box);
        EXPECT_EQ(form->Picture2->Drawing().size(), c.box);
        EXPECT_EQ(form->Picture2->Picture().size(), QSize(640, 480));
        EXPECT_EQ(settings.ImageWidth, 640 * 15);
        EXPECT_EQ(settings.ImageHeight, 480 * 15);
        EXPECT_EQ(settings.ImageSource, 1);
        const int strip = form->chkAI->geometry().right() + 1 + form->PictureHost->x() +
                          form->frameGeometry().width() - form->width();
        EXPECT_EQ(form->frameGeometry().size(),
                  ruleSize(c.box).expandedTo(QSize(strip, 0))); // the strip widens it at 50 %
        EXPECT_EQ(form->frameGeometry().right(), screen().right());
        // The whole picture is visible, without scroll bars.
        EXPECT_EQ(form->PictureHost->size(), c.box);
        EXPECT_FALSE(form->PictureHost->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(form->PictureHost->verticalScrollBar()->isVisible());
        EXPECT_TRUE(form->Reroad->isEnabled());
        EXPECT_TRUE(form->rreroad->isEnabled());
        EXPECT_TRUE(form->mnuInfo->isEnabled());
        // Stretched from the top-left corner: red on the left, blue on the right.
        const QImage shown = form->Picture2->grab().toImage();
        EXPECT_EQ(QColor(shown.pixel(2, 2)), QColor(Qt::red));
        EXPECT_EQ(QColor(shown.pixel(c.box.width() - 3, c.box.height() - 3)), QColor(Qt::blue));
    }
}

// However small the picture, the window keeps the whole comment strip in view, also where
// its texts need more room than the design gave them.
TEST_F(ImageAcquisition, ASmallPictureNeverCutsTheCommentStrip) {
    ASSERT_TRUE(start());
    fake.clipboard.bitmap = true;
    fake.clipboard.image = twoColourImage(QSize(20, 10));
    form->paste->trigger();
    const QList<QWidget*> strip{form->Label2, form->Text1, form->Command1, form->chkAI};
    for (QWidget* control : strip) {
        EXPECT_LE(control->geometry().right(), control->parentWidget()->width() - 1)
            << control->objectName().toStdString();
    }
    EXPECT_GE(form->frameGeometry().width(), 415); // never narrower than the rule
}

TEST_F(ImageAcquisition, CancellingTheOpenDialogAfterAPasteKeepsThePastedImage) {
    ASSERT_TRUE(start());
    fake.clipboard.bitmap = true;
    fake.clipboard.image = twoColourImage(QSize(300, 200));
    form->paste->trigger();
    ASSERT_EQ(settings.ImageSource, 2);
    form->mnuOpen->trigger(); // the fake dialog answers "cancelled"
    EXPECT_EQ(settings.ImageSource, 2);
    EXPECT_EQ(form->Picture2->size(), QSize(300, 200));
    EXPECT_FALSE(form->Reroad->isEnabled());
    EXPECT_EQ(fake.fileDialogs.requests.size(), 1);
    EXPECT_EQ(fake.fileDialogs.requests[0].title, "画像ファイルを開く");
    EXPECT_EQ(fake.fileDialogs.requests[0].nameFilters.value(0), "BMP file(*.bmp)");
    EXPECT_TRUE(fake.fileDialogs.requests[0].nameFilters.value(1).startsWith("All images ("));
}

TEST_F(ImageAcquisition, BrokenFilesKeepThePreviousImageSilently) {
    ASSERT_TRUE(start());
    const QString good = writeBmp("good.bmp", QSize(200, 100));
    open(good);
    ASSERT_EQ(form->Picture2->size(), QSize(200, 100));

    QByteArray validBmp;
    {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        validBmp = file.readAll();
    }
    // The width and height fields of the BMP header, little-endian at bytes 18 and 22.
    const auto withSize = [&validBmp](qint32 width, qint32 height) {
        QByteArray bytes = validBmp;
        for (int i = 0; i < 4; ++i) {
            bytes[18 + i] = char((width >> (8 * i)) & 0xff);
            bytes[22 + i] = char((height >> (8 * i)) & 0xff);
        }
        return bytes;
    };
    QDir(xdg.root()).mkdir("folder.bmp");

    const struct {
        const char* what;
        QString path;
    } cases[] = {
        {"text", writeBytes("text.bmp", "this is not a picture\n")},
        {"empty", writeBytes("empty.bmp", QByteArray())},
        {"header only", writeBytes("header.bmp", validBmp.left(30))},
        {"truncated pixels", writeBytes("truncated.bmp", validBmp.left(validBmp.size() / 3))},
        {"gigantic dimensions", writeBytes("huge.bmp", withSize(100000, 100000))},
        {"negative width", writeBytes("negative.bmp", withSize(-200, 100))},
        {"zero width", writeBytes("zero.bmp", withSize(0, 100))},
        {"directory", xdg.root() + "/folder.bmp"},
        {"missing", xdg.root() + "/missing.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open(c.path);
        EXPECT_EQ(form->Picture2->size(), QSize(200, 100));
        EXPECT_EQ(form->Picture2->Picture().size(), QSize(200, 100));
        EXPECT_EQ(settings.ImageSource, 1);
        EXPECT_EQ(settings.ImageWidth, 200 * 15);
        EXPECT_EQ(settings.ImageHeight, 100 * 15);
        // The dialog remembers the file all the same.
        EXPECT_EQ(form->CommonDialog1.FileName, QDir::cleanPath(c.path));
    }
    EXPECT_TRUE(fake.messages.shown.isEmpty());
}

TEST_F(ImageAcquisition, ReloadReadsTheFileChosenLastAndReportsOneClearFailure) {
    ASSERT_TRUE(start());
    const QString path = writeBmp("scan.bmp", QSize(120, 90));
    open(path);
    fake.clipboard.bitmap = true;
    fake.clipboard.image = twoColourImage(QSize(50, 40));
    form->paste->trigger();
    ASSERT_EQ(form->Picture2->size(), QSize(50, 40));

    form->Reroad->trigger(); // replaces the pasted image with the file chosen last
    EXPECT_EQ(form->Picture2->size(), QSize(120, 90));
    EXPECT_EQ(settings.ImageSource, 1);

    writeBmp("scan.bmp", QSize(130, 70)); // changed on disk
    form->rreroad->trigger();
    EXPECT_EQ(form->Picture2->size(), QSize(130, 70));

    ASSERT_TRUE(QFile::remove(path)); // deleted since
    form->Reroad->trigger();
    EXPECT_EQ(form->Picture2->size(), QSize(130, 70));
    EXPECT_EQ(settings.ImageSource, 1);
    ASSERT_EQ(fake.messages.shown.size(), 1);
    EXPECT_TRUE(fake.messages.shown[0].text.contains("scan.bmp"));
    EXPECT_EQ(fake.messages.shown[0].title, "Linealis");
}

TEST_F(ImageAcquisition, PasteTakesEitherBitmapFormatAndEnablesOnlyTheInformation) {
    ASSERT_TRUE(start());
    form->paste->trigger(); // empty clipboard: nothing changes
    EXPECT_EQ(settings.ImageSource, 0);
    EXPECT_FALSE(form->mnuInfo->isEnabled());

    fake.clipboard.dib = true;
    fake.clipboard.image = twoColourImage(QSize(90, 60));
    form->Rpaste->trigger();
    EXPECT_EQ(settings.ImageSource, 2);
    EXPECT_EQ(form->Picture2->size(), QSize(90, 60));
    EXPECT_EQ(settings.ImageWidth, 90 * 15);
    EXPECT_TRUE(form->mnuInfo->isEnabled());
    EXPECT_FALSE(form->Reroad->isEnabled());
    EXPECT_FALSE(form->rreroad->isEnabled());

    // An image that the clipboard offers but cannot be decoded changes nothing.
    fake.clipboard.image = QImage();
    form->paste_Click();
    EXPECT_EQ(form->Picture2->size(), QSize(90, 60));
}

TEST_F(ImageAcquisition, MagnificationChangeReacquiresFromTheImageSource) {
    ASSERT_TRUE(start());
    // No image: the flag is cleared and nothing happens.
    settings.MagChanged = 1;
    settings.MagStep = 4;
    form->Form_Activate();
    EXPECT_EQ(settings.MagChanged, 0);
    EXPECT_EQ(settings.ImageSource, 0);

    // A file: reloaded at the new magnification.
    settings.MagStep = 2;
    open(writeBmp("a.bmp", QSize(100, 80)));
    settings.MagStep = 4;
    settings.MagChanged = 1;
    form->Form_Activate();
    EXPECT_EQ(form->Picture2->size(), QSize(200, 160));
    EXPECT_EQ(settings.MagChanged, 0);

    // A paste: pasted again, so a different clipboard content replaces the image.
    fake.clipboard.bitmap = true;
    fake.clipboard.image = twoColourImage(QSize(60, 30));
    form->paste->trigger();
    fake.clipboard.image = twoColourImage(QSize(70, 40));
    settings.MagStep = 1;
    settings.MagChanged = 1;
    form->Form_Activate();
    EXPECT_EQ(form->Picture2->size(), QSize(35, 20));
    EXPECT_EQ(settings.ImageSource, 2);
}

TEST_F(ImageAcquisition, InSourceApplicationModeOnlyTheFirstCaptureResizesTheWindow) {
    writeIni("[options]\nUseSourceApp=1\n[source app]\napp=/opt/capture/grab\n");
    ASSERT_TRUE(start());
    fake.clipboard.bitmap = true;
    fake.clipboard.image = twoColourImage(QSize(500, 300));
    form->paste_Click();
    const QSize afterFirst = form->frameGeometry().size();
    EXPECT_EQ(afterFirst, ruleSize(QSize(500, 300)));
    fake.clipboard.image = twoColourImage(QSize(200, 100));
    form->paste_Click();
    EXPECT_EQ(form->Picture2->size(), QSize(200, 100));
    EXPECT_EQ(form->frameGeometry().size(), afterFirst);
}

TEST_F(ImageAcquisition, PictureLargerThanTheScreenScrollsInsideAWindowThatFits) {
    ASSERT_TRUE(start());
    fake.clipboard.bitmap = true;
    fake.clipboard.image = twoColourImage(QSize(2500, 1800));
    form->paste_Click();
    EXPECT_EQ(form->Picture2->size(), QSize(2500, 1800));
    EXPECT_LE(form->frameGeometry().width(), screen().width());
    EXPECT_LE(form->frameGeometry().height(), screen().height());
    EXPECT_TRUE(screen().contains(form->frameGeometry()));

    // The scroll bars reach every corner of the picture.
    QScrollArea* host = form->PictureHost;
    QWidget* viewport = host->viewport();
    for (const bool right : {false, true}) {
        for (const bool bottom : {false, true}) {
            host->horizontalScrollBar()->setValue(right ? host->horizontalScrollBar()->maximum()
                                                        : 0);
            host->verticalScrollBar()->setValue(bottom ? host->verticalScrollBar()->maximum() : 0);
            const QPoint corner(right ? 2499 : 0, bottom ? 1799 : 0);
            EXPECT_TRUE(viewport->rect().contains(form->Picture2->mapTo(viewport, corner)))
                << right << bottom;
        }
    }
}

TEST_F(ImageAcquisition, InformationDialogShowsFileSizeAndMagnification) {
    ASSERT_TRUE(start());
    const auto shownTexts = [this] {
        QStringList texts;
        whenModal<frmImageInfo>([&texts](frmImageInfo* dialog) {
            texts << dialog->windowTitle() << dialog->txtFN->text() << dialog->txtInfo->text()
                  << dialog->txtMagnify->text();
            dialog->Command1->click();
        });
        form->mnuInfo_Click();
        return texts;
    };

    // After a paste with no file opened: no file name.
    fake.clipboard.bitmap = true;
    fake.clipboard.image = twoColourImage(QSize(33, 21));
    form->paste_Click();
    EXPECT_EQ(shownTexts(), QStringList({"Information of image", "", "33 × 21 pixels", " 100 %"}));

    open(writeBmp("グラフ.bmp", QSize(640, 480)));
    EXPECT_EQ(shownTexts(),
              QStringList({"Information of image", "グラフ.bmp", "640 × 480 pixels", " 100 %"}));
    const struct {
        int16_t step;
        const char* text;
    } steps[] = {{1, " 50 %"}, {3, " 150 %"}, {4, " 200 %"}};
    for (const auto& s : steps) {
        settings.MagStep = s.step;
        EXPECT_EQ(shownTexts().value(3), s.text);
    }
}

} // namespace
