#include "platform/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageService::ShowMessage(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtMessageService::Beep() {
    QApplication::beep();
}
