// A line shape of the picture box as the main window uses it: end points in twips, shown
// or hidden. It forwards to one of the box's five inverting line shapes.
#pragma once

#include "mainwindow/PictureBox.h"

class LineControl {
public:
    void Bind(PictureBox* box, int index, PictureBox::LineStyle style, double twipsX,
              double twipsY) {
        box_ = box;
        index_ = index;
        twipsX_ = twipsX;
        twipsY_ = twipsY;
        box_->SetLineStyle(index_, style);
    }

    // End points in twips of the picture box.
    void SetEnds(float X1, float Y1, float X2, float Y2) {
        X1_ = X1;
        Y1_ = Y1;
        X2_ = X2;
        Y2_ = Y2;
        box_->SetLine(index_, QLineF(X1 / twipsX_, Y1 / twipsY_, X2 / twipsX_, Y2 / twipsY_));
    }
    void SetVisible(bool visible) { box_->SetLineVisible(index_, visible); }

    bool Visible() const { return box_->LineVisible(index_); }
    float X1() const { return X1_; }
    float Y1() const { return Y1_; }
    float X2() const { return X2_; }
    float Y2() const { return Y2_; }

private:
    PictureBox* box_ = nullptr;
    int index_ = 0;
    double twipsX_ = 15.0;
    double twipsY_ = 15.0;
    float X1_ = 0;
    float Y1_ = 0;
    float X2_ = 0;
    float Y2_ = 0;
};
