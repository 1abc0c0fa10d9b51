// The keys of the main window: Alt+A ticks "&Auto Increment" anywhere in the window, the
// menus' shortcuts win over the comment box's own editing keys, Enter in the comment box
// saves, and the box selects its whole text when it takes the focus.
#pragma once

#include <QObject>

class Form1;
class QKeySequence;

class MainWindowKeys : public QObject {
public:
    explicit MainWindowKeys(Form1& form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ClaimsShortcut(const QKeySequence& keys) const;

    Form1& form_;
};
