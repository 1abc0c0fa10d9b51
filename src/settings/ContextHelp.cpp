#include "settings/ContextHelp.h"

#include "platform/MessageService.h"
#include "settings/HelpBook.h"
#include "settings/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

namespace {

constexpr char kTopicProperty[] = "linealisHelpTopic";

std::optional<int> OwnTopic(const QObject* object) {
    const QVariant value = object->property(kTopicProperty);
    if (value.isValid()) {
        return value.toInt();
    }
    return std::nullopt;
}

QAction* HighlightedItem(QWidget* widget) {
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        return menu->activeAction();
    }
    if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
        return bar->activeAction();
    }
    return nullptr;
}

// The window a help window belongs to: a pop-up menu belongs to the window it was opened from.
QWidget* OwnerWindow(QWidget* from) {
    QWidget* window = from->window();
    while (qobject_cast<QMenu*>(window) != nullptr && window->parentWidget() != nullptr) {
        window = window->parentWidget()->window();
    }
    return window;
}

} // namespace

ContextHelp::ContextHelp(IMessageService& messages, QObject* parent)
    : QObject(parent)
    , Folders(HelpBook::Folders(QCoreApplication::applicationDirPath()))
    , messages_(messages) {
    qApp->installEventFilter(this);
}

void ContextHelp::SetTopic(QWidget* widget, int topic) {
    widget->setProperty(kTopicProperty, topic);
}

void ContextHelp::SetTopic(QAction* item, int topic) {
    item->setProperty(kTopicProperty, topic);
}

QString ContextHelp::MissingPagesMessage() {
    return QStringLiteral("The help pages of Linealis could not be found.\n\n"
                          "They are installed with the program in share/linealis/help.");
}

std::optional<int> ContextHelp::TopicFor(QWidget* widget) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (QAction* item = HighlightedItem(w)) {
            // A highlighted item without a topic of its own speaks for the window, not for
            // the menu that holds it.
            if (const auto topic = OwnTopic(item)) {
                return topic;
            }
        } else if (const auto topic = OwnTopic(w)) {
            return topic;
        }
        // A pop-up menu goes on to the window it was opened from; any other window ends the
        // search.
        if (w->isWindow() && qobject_cast<QMenu*>(w) == nullptr) {
            break;
        }
    }
    return std::nullopt;
}

HelpWindow* ContextHelp::ShowContents(QWidget* from) {
    return ShowTopic(from, std::nullopt);
}

HelpWindow* ContextHelp::ShowTopic(QWidget* from, std::optional<int> topic) {
    QWidget* owner = from != nullptr ? OwnerWindow(from) : nullptr;
    const auto page = HelpBook::PagePath(Folders, topic);
    if (!page) {
        messages_.ShowMessage(owner, MissingPagesMessage());
        return nullptr;
    }
    // F1 in the help window itself stays in that window.
    HelpWindow* window = qobject_cast<HelpWindow*>(owner);
    if (window == nullptr && owner != nullptr) {
        window = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    }
    if (window == nullptr) {
        window = new HelpWindow(owner);
    }
    window->ShowPage(*page, *HelpBook::PagePath(Folders, std::nullopt));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

bool ContextHelp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    const auto topic = TopicFor(widget);
    QWidget* owner = OwnerWindow(widget);
    // An open menu closes, as it does when anything else takes the focus.
    for (int i = 0; i < 8 && QApplication::activePopupWidget() != nullptr; ++i) {
        QApplication::activePopupWidget()->close();
    }
    ShowTopic(owner, topic);
    return true;
}
