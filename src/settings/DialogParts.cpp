#include "settings/DialogParts.h"

#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setText(const QString& text) {
    QLabel::setText(text);
    setToolTip(text);
}

QSize ElidedLabel::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("M…M")), QLabel::sizeHint().height()};
}

QSize ElidedLabel::sizeHint() const {
    return minimumSizeHint();
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

ExampleLine::ExampleLine(QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ExampleLine::SetLineWidth(int width) {
    width_ = width;
    update();
}

QSize ExampleLine::sizeHint() const {
    return {92, 12};
}

void ExampleLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), width_, Qt::SolidLine, Qt::FlatCap));
    const qreal y = height() / 2.0;
    painter.drawLine(QPointF(0, y), QPointF(width(), y));
}
