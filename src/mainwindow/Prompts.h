// The prompts the main window shows in its caption.
#pragma once

#include <QString>

namespace Prompts {
inline const QString LockSlope = QStringLiteral("LQ クリックで傾きをロック");
inline const QString StartPoint = QStringLiteral("LQ 始点をクリック");
inline const QString EndPoint = QStringLiteral("LQ 終点をダブルクリック");
inline const QString Clear = QStringLiteral("LQ クリックでクリア");
// Shown once at start-up in the free-angle shape.
inline const QString FixSlope = QStringLiteral("LQ クリックで傾きを固定");
} // namespace Prompts
