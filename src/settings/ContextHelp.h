// Help for the whole program: the contents on request, and F1 anywhere opens the page of the
// focused control, of the highlighted menu item, or of the window (the contents when neither
// has a topic). Topics are attached to widgets and menu items with SetTopic.
#pragma once

#include <QObject>
#include <QStringList>
#include <optional>

class HelpWindow;
class IMessageService;
class QAction;
class QWidget;

class ContextHelp : public QObject {
    Q_OBJECT
public:
    // Watches every key press of the program for F1 while it exists.
    ContextHelp(IMessageService& messages, QObject* parent = nullptr);

    // Where the pages are looked for, in order.
    QStringList Folders;

    // Opens the contents page, or the page of `topic`, in the help window that belongs to the
    // window of `from` (made when there is none yet). When no pages can be found the user is
    // told so and nothing else happens: the result is then null.
    HelpWindow* ShowContents(QWidget* from);
    HelpWindow* ShowTopic(QWidget* from, std::optional<int> topic);

    static void SetTopic(QWidget* widget, int topic);
    static void SetTopic(QAction* item, int topic);

    // The topic for F1 pressed on `widget`: the highlighted item of an open menu or of the menu
    // bar, then the widget and its parents up to its window; nothing when none has one.
    static std::optional<int> TopicFor(QWidget* widget);

    // The text shown when no help pages are found.
    static QString MissingPagesMessage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IMessageService& messages_;
};
