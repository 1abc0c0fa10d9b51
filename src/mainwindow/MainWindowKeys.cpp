#include "mainwindow/MainWindowKeys.h"

#include "mainwindow/EventCodes.h"
#include "mainwindow/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

MainWindowKeys::MainWindowKeys(Form1& form)
    : QObject(&form)
    , form_(form) {}

bool MainWindowKeys::ClaimsShortcut(const QKeySequence& keys) const {
    for (const QMenu* menu : {form_.File, form_.Edit}) {
        for (const QAction* item : menu->actions()) {
            if (item->isVisible() && item->isEnabled() && item->shortcut() == keys) {
                return true;
            }
        }
    }
    return false;
}

bool MainWindowKeys::eventFilter(QObject* watched, QEvent* event) {
    const auto* key =
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
            ? static_cast<QKeyEvent*>(event)
            : nullptr;
    // Alt+A anywhere in this window (not in a dialog or an open menu) ticks "&Auto Increment".
    if (key != nullptr && key->key() == Qt::Key_A && key->modifiers() == Qt::AltModifier &&
        QApplication::activePopupWidget() == nullptr && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &form_) {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept(); // not a shortcut: deliver it as a key press, handled below
        } else {
            form_.chkAI->setFocus(Qt::ShortcutFocusReason);
            form_.chkAI->click();
        }
        return true;
    }
    if (watched == form_.Text1) {
        if (event->type() == QEvent::FocusIn) {
            // The box first takes the focus its own way, then the whole comment is selected.
            static_cast<QObject*>(form_.Text1)->event(event);
            form_.Text1_GotFocus();
            return true;
        } else if (event->type() == QEvent::ShortcutOverride && key != nullptr &&
                   ClaimsShortcut(QKeySequence(key->keyCombination()))) {
            // The menu's shortcut wins over the text box's own editing keys (Ctrl+V pastes
            // an image, Ctrl+Z undoes the last row), as menu shortcuts do everywhere.
            return true;
        } else if (event->type() == QEvent::KeyPress && key != nullptr &&
                   (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            form_.Text1_KeyDown(kEnterKey, shiftCode(key->modifiers()));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
