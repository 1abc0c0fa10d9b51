// Line geometry of the free-angle cross: the slope of the line through the cursor and the
// picture centre, x and y on a line y = A·x + B, and the two end points of a guide line
// clipped to the band 50..NW × 50..NH (picture coordinates in twips, y growing downward).
// The functions are pure. Integer is int16_t, Long int32_t, Single float; Single arithmetic
// stays in float, and double is used where a 32-bit whole number takes part.
//
// None of them is ever undefined behaviour:
// - a Long result that would not fit is clamped to the nearest end of the 32-bit range (a line
//   that reaches a height only far beyond the picture then still lies on the correct side of
//   it, and the clipping below picks the right border); a result that is not a number is 0;
// - XfromY of a horizontal line (A = 0) is 0: such a line never reaches another height, and
//   0 makes it run from the left edge like the axis-parallel lines;
// - Intercept of a vertical line (X = NW) is NaN: that line has no y-intercept.
#pragma once

#include <cstdint>

// The guide lines of the free-angle cross stop this far inside the picture's edges.
inline constexpr int16_t kGuideMargin = 50;

// Slope of the line through (X, Y) and the centre (NW/2, NH/2); 0 when the cursor is level
// with the centre or straight above or below it.
float Slope(int16_t NW, int16_t NH, float X, float Y);

// y-intercept of the line through (X, Y) and (NW, NH); NaN when X = NW.
float Intercept(int16_t NW, int16_t NH, float X, float Y);

// x on the line at height Y, rounded half to even. Computed in float for an Integer or Single
// Y, in double for a Long or double Y.
int32_t XfromY(int16_t Y, float A, float B);
int32_t XfromY(float Y, float A, float B);
int32_t XfromY(int32_t Y, float A, float B);
int32_t XfromY(double Y, float A, float B);

// y on the line at position X: A·X + B, in float for an Integer or Single X, in double for a
// Long or double X.
float YfromX(int16_t X, float A, float B);
float YfromX(float X, float A, float B);
double YfromX(int32_t X, float A, float B);
double YfromX(double X, float A, float B);

// End points of guide line `LineIndex` (0 or 1) of the cross at the cursor (X, Y): "upper" is
// the end with the larger y, "lower" the one with the smaller y. With CentreHit 0 the line is
// y = A·x + B clipped to the band; with CentreHit 1 (cursor on the vertical centre line) line
// 0 is vertical and line 1 horizontal through the cursor, with CentreHit 2 the other way
// round; axis-parallel lines run from 0 to NW or NH. Any other CentreHit or line index gives
// 0.
int32_t UpperX(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);
int32_t UpperY(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);
int32_t LowerX(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);
int32_t LowerY(float A, float B, int16_t NW, int16_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);

// Part of the public interface of the main window; it does nothing.
void SlopeSet();

// The same functions for a picture of any size. A picture wider or taller than 32767 twips
// (about 2200 pixels) does not fit the Integer sizes above; these take the sizes in 32 bits
// and otherwise compute exactly as the Integer ones (the sizes enter the float arithmetic
// as they would as Integers), so both agree wherever the sizes fit 16 bits.
float Slope(int32_t NW, int32_t NH, float X, float Y);
int32_t UpperX(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);
int32_t UpperY(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);
int32_t LowerX(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);
int32_t LowerY(float A, float B, int32_t NW, int32_t NH, float X, float Y, int16_t CentreHit,
               int LineIndex);
