// Line geometry of the free-angle cross.
#include "mainwindow/Geometry.h"

#include "mainwindow/Rounding.h"

#include <limits>

// Overflow to infinity and NaN must be the IEEE ones: the functions rely on them instead of
// checking every product.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

namespace {

// In the axis-parallel cases the end points depend on which way the line runs.
enum class Axis { None, Vertical, Horizontal };

// On the vertical centre line (CentreHit 1) line 0 is vertical and line 1 horizontal; on the
// horizontal centre line (CentreHit 2) the other way round.
Axis AxisOf(int16_t CentreHit, int LineIndex) {
    if ((CentreHit != 1 && CentreHit != 2) || (LineIndex != 0 && LineIndex != 1)) {
        return Axis::None;
    }
    return (CentreHit == 1) == (LineIndex == 0) ? Axis::Vertical : Axis::Horizontal;
}

template <typename Real> int32_t XAtHeight(Real Y, float A, float B) {
    if (A == 0) {
        return 0; // a horizontal line never reaches another height
    }
    return Round32Clamped((Y - Real(B)) / Real(A));
}

// The margin and the sizes take part in the Single arithmetic as Integers would.
constexpr float kMargin = kGuideMargin;

} // namespace

float Slope(int32_t NW, int32_t NH, float X, float Y) {
    const float cx = float(NW) / 2;
    const float cy = float(NH) / 2;
    const float rise = cy - Y;
    const float run = cx - X;
    // The product can also vanish when both factors are tiny; the quotient then is not used.
    if (rise == 0 || run == 0 || rise * run == 0) {
        return 0;
    }
    return rise / run;
}

float Slope(int16_t NW, int16_t NH, float X, float Y) {
    return Slope(int32_t{NW}, int32_t{NH}, X, Y);
}

float Intercept(int16_t NW, int16_t NH, float X, float Y) {
    const float run = float(NW) - X;
    if (run == 0) {
        return std::numeric_limits<float>::quiet_NaN(); // a vertical line
    }
    return (float(NW) * Y - X * float(NH)) / run;
}

int32_t XfromY(int16_t Y, float A, float B) {
    return XAtHeight<float>(Y, A, B);
}

int32_t XfromY(float Y, float A, float B) {
    return XAtHeight<float>(Y, A, B);
}

int32_t XfromY(int32_t Y, float A, float B) {
    return XAtHeight<double>(Y, A, B);
}

int32_t XfromY(double Y, float A, float B) {
    return XAtHeight<double>(Y, A, B);
}

float YfromX(int16_t X, float A, float B) {
    return A * float(X) + B;
}

float YfromX(float X, float A, float B) {
    return A * X + B;
}

double YfromX(int32_t X, float A, float B) {
    return double(A) * double(X) + double(B);
}

double YfromX(double X, float A, float B) {
    return double(A) * X + double(B);
}

int32_t UpperX(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    (void)Y;
    if (CentreHit == 0) {
        // Going towards larger y the line leaves the band at the side border it runs to or at
        // the bottom border, whichever comes first.
        const int32_t xa = A > 0 ? NW : int32_t{kGuideMargin};
        const int32_t xb = XfromY(float(NH), A, B);
        return YfromX(xa, A, B) < YfromX(xb, A, B) ? xa : xb;
    }
    switch (AxisOf(CentreHit, LineIndex)) {
    case Axis::Vertical:
        return Round32Clamped(X);
    case Axis::Horizontal:
        return NW;
    case Axis::None:
        break;
    }
    return 0;
}

int32_t UpperY(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    (void)X;
    if (CentreHit == 0) {
        const int32_t ya = Round32Clamped(A > 0 ? YfromX(float(NW), A, B) : YfromX(kMargin, A, B));
        return ya < NH ? ya : NH;
    }
    switch (AxisOf(CentreHit, LineIndex)) {
    case Axis::Vertical:
        return NH;
    case Axis::Horizontal:
        return Round32Clamped(Y);
    case Axis::None:
        break;
    }
    return 0;
}

int32_t LowerX(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    (void)NH;
    (void)Y;
    if (CentreHit == 0) {
        // Going towards smaller y the line leaves the band at the side border it runs to or at
        // the top border, whichever comes first.
        const int32_t xa = XfromY(kMargin, A, B);
        const int32_t xb = A > 0 ? int32_t{kGuideMargin} : NW;
        return YfromX(xa, A, B) > YfromX(xb, A, B) ? xa : xb;
    }
    switch (AxisOf(CentreHit, LineIndex)) {
    case Axis::Vertical:
        return Round32Clamped(X);
    case Axis::Horizontal:
        return 0;
    case Axis::None:
        break;
    }
    return 0;
}

int32_t LowerY(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    (void)NH;
    (void)X;
    if (CentreHit == 0) {
        const int32_t yb = Round32Clamped(A > 0 ? YfromX(kMargin, A, B) : YfromX(float(NW), A, B));
        return kGuideMargin > yb ? int32_t{kGuideMargin} : yb;
    }
    switch (AxisOf(CentreHit, LineIndex)) {
    case Axis::Vertical:
        return 0;
    case Axis::Horizontal:
        return Round32Clamped(Y);
    case Axis::None:
        break;
    }
    return 0;
}

int32_t UpperX(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    return UpperX(A, B, int32_t{NW}, int32_t{NH}, X, Y, CentreHit, LineIndex);
}

int32_t UpperY(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    return UpperY(A, B, int32_t{NW}, int32_t{NH}, X, Y, CentreHit, LineIndex);
}

int32_t LowerX(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    return LowerX(A, B, int32_t{NW}, int32_t{NH}, X, Y, CentreHit, LineIndex);
}

int32_t LowerY(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex) {
    return LowerY(A, B, int32_t{NW}, int32_t{NH}, X, Y, CentreHit, LineIndex);
}

void SlopeSet() {}
