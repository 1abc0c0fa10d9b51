// Small widgets the settings dialogs share: a label that shortens a long path in the middle
// instead of growing the dialog, and the example line of the options dialog.
#pragma once

#include <QLabel>
#include <QWidget>

// Shows its whole text when there is room, otherwise the start and the end of it with "…"
// between; text() and the tool tip always hold the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setText(const QString& text);
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A horizontal line drawn across the middle of the widget with the chosen width in pixels,
// as the guide lines of the main window are drawn.
class ExampleLine : public QWidget {
    Q_OBJECT
public:
    explicit ExampleLine(QWidget* parent = nullptr);

    void SetLineWidth(int width);
    int LineWidth() const { return width_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int width_ = 1;
};
