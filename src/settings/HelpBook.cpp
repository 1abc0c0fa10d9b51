#include "settings/HelpBook.h"

#include <QDir>
#include <QFileInfo>

#ifndef LINEALIS_INSTALLED_HELP
#define LINEALIS_INSTALLED_HELP "../share/linealis/help"
#endif

namespace HelpBook {

QString TopicPage(int topic) {
    return QStringLiteral("topic-%1.html").arg(topic);
}

QStringList Folders(const QString& applicationDir) {
    const QDir dir(applicationDir);
    return {QDir::cleanPath(dir.filePath(QStringLiteral(LINEALIS_INSTALLED_HELP))),
            QDir::cleanPath(dir.filePath(QStringLiteral("help")))};
}

std::optional<QString> FindFolder(const QStringList& folders) {
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && QFileInfo(QDir(folder).filePath(ContentsPage)).isFile()) {
            return folder;
        }
    }
    return std::nullopt;
}

std::optional<QString> PagePath(const QStringList& folders, std::optional<int> topic) {
    const auto folder = FindFolder(folders);
    if (!folder) {
        return std::nullopt;
    }
    const QDir dir(*folder);
    if (topic) {
        const QString page = dir.filePath(TopicPage(*topic));
        if (QFileInfo(page).isFile()) {
            return page;
        }
    }
    return dir.filePath(ContentsPage);
}

} // namespace HelpBook
