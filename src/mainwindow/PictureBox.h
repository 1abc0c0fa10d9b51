// The picture box of the main window: holds the image at its own size and the drawing of
// it at the displayed size, on a white background, and reports mouse events in logical
// pixels to its owner.
#pragma once

#include "acquisition/ScaledImage.h"

#include <QImage>
#include <QLineF>
#include <QRegion>
#include <QWidget>
#include <array>
#include <vector>

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Takes a new image: `picture` at its own size and `drawing`, the picture as shown. The
    // box takes the drawing's size; the drawing is shown from the top-left corner.
    void SetImage(const QImage& picture, const ScaledImage& drawing);

    const QImage& Picture() const { return picture_; }
    const ScaledImage& Drawing() const { return drawing_; }

    // The line shapes drawn over the picture in inverting ink: every pixel under a line
    // takes its inverse colour, so the lines show on any image; where two lines cross the
    // pixel is inverted twice. Moving a line repaints only the pixels under its old and
    // new places, never the whole picture.
    enum class LineStyle { Dashed, Solid, Dotted };
    static constexpr int kLineCount = 5;
    // The five shapes exist from the start: hidden, or visible with zero length.
    void SetLineStyle(int index, LineStyle style);
    // End points in logical pixels of the box.
    void SetLine(int index, QLineF line);
    void SetLineVisible(int index, bool visible);
    void SetLineWidth(int width);
    QLineF Line(int index) const { return lines_[index].line; }
    bool LineVisible(int index) const { return lines_[index].visible; }
    int LineWidth() const { return lineWidth_; }

    // The pixels a line of `width` covers, as a band of small rectangles along it.
    static QRegion LineRegion(QLineF line, int width);

signals:
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos,
                       QPoint globalPos);
    void doubleClicked();
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Shape {
        QLineF line;
        LineStyle style = LineStyle::Solid;
        bool visible = false;
    };
    void updateLine(const Shape& shape);
    // The picture and the lines within `area` (box pixels) into 32-bit rows that start at
    // `bits` and lie `stride` bytes apart.
    void paintPiece(uchar* bits, qsizetype stride, const QRect& area) const;
    bool paintInPlace(QPainter& painter, const QRegion& region) const;
    void paintThroughPainter(QPainter& painter, const QRegion& region);

    QImage picture_;
    ScaledImage drawing_;
    std::array<Shape, kLineCount> lines_{};
    std::vector<quint32> scratch_; // the exposed rectangle being painted
    int lineWidth_ = 1;
};
