#include "platform/TextEditor.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// Graphical editors that open a file given as their one argument, the desktops' own first.
const char* const kKnownEditors[] = {"gnome-text-editor", "gedit",   "kwrite", "kate",
                                     "mousepad",          "pluma",   "xed",    "featherpad",
                                     "l3afpad",           "leafpad", "geany",  "xedit"};

} // namespace

std::optional<EditorCommand>
FindTextEditor(const QString& visual,
               const std::function<QString(const QString&)>& findExecutable) {
    QStringList words = QProcess::splitCommand(visual);
    if (!words.isEmpty()) {
        const QString program = words.takeFirst();
        return EditorCommand{program, words};
    }
    for (const char* name : kKnownEditors) {
        const QString path = findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty()) {
            return EditorCommand{path, {}};
        }
    }
    return std::nullopt;
}

std::optional<EditorCommand> SystemTextEditor() {
    return FindTextEditor(qEnvironmentVariable("VISUAL"),
                          [](const QString& name) { return QStandardPaths::findExecutable(name); });
}
