// Message boxes and the beep through the toolkit.
#pragma once

#include "platform/MessageService.h"

class QtMessageService : public IMessageService {
public:
    void ShowMessage(QWidget* parent, const QString& text, const QString& title) override;
    void Beep() override;
};
