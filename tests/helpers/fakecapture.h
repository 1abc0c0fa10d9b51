// What the fakecapture helper copies, shared with the tests that check the pasted picture.
#pragma once

#include <QColor>
#include <QSize>

namespace fakecapture {

inline constexpr QSize kPictureSize{320, 200};

// The fill of picture `number` (1, 2, ...): a different colour for each of four in a row.
inline QColor CaptureColour(int number) {
    static const QColor colours[4] = {QColor(200, 60, 60), QColor(60, 160, 80), QColor(60, 90, 200),
                                      QColor(220, 180, 40)};
    return colours[(number - 1 + 4) % 4];
}

} // namespace fakecapture
