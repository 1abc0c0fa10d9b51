// Message boxes and the system beep, so that windows can be driven by tests without a
// modal box blocking them.
#pragma once

#include <QString>

class QWidget;

inline const QString kApplicationTitle = QStringLiteral("Linealis");

class IMessageService {
public:
    virtual ~IMessageService() = default;

    // Shows a modal message box with an OK button and waits for it.
    virtual void ShowMessage(QWidget* parent, const QString& text,
                             const QString& title = kApplicationTitle) = 0;
    virtual void Beep() = 0;
};
