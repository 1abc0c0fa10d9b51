// The user's plain-text editor: $VISUAL when set, else the first graphical text editor
// installed from a short list of common ones.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct EditorCommand {
    QString program;
    QStringList arguments; // given before the file to edit
};

// The editor to start. `visual` is the value of $VISUAL (a program, possibly followed by
// arguments, split like a command line but never run through a shell); `findExecutable`
// answers the full path of a program name on the PATH, or an empty text. Empty when there
// is no editor to start.
std::optional<EditorCommand>
FindTextEditor(const QString& visual, const std::function<QString(const QString&)>& findExecutable);

// The editor of this machine and this user's environment.
std::optional<EditorCommand> SystemTextEditor();
