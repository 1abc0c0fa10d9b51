// Where the help pages are and which page shows what: a contents page and one page per
// topic number, HTML files in one folder installed with the program.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace HelpBook {

// The page that lists everything.
inline const QString ContentsPage = QStringLiteral("index.html");

// The page of a topic number: "topic-6.html".
QString TopicPage(int topic);

// The folders looked in, in order, for a program whose executable lies in `applicationDir`:
// the installed pages (share/linealis/help beside the program's bin folder), then the copy a
// build puts next to the program it builds.
QStringList Folders(const QString& applicationDir);

// The first of `folders` that holds the contents page; nothing when none does.
std::optional<QString> FindFolder(const QStringList& folders);

// The full path of the page that shows `topic` (the contents when no topic is given or the
// topic has no page of its own); nothing when no folder holds the pages.
std::optional<QString> PagePath(const QStringList& folders, std::optional<int> topic);

} // namespace HelpBook
