#include "settings/Volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace {

bool Contains(const QString& root, const QString& path) {
    if (root == QLatin1String("/")) {
        return path.startsWith(u'/');
    }
    return path == root || (path.startsWith(root) && path.at(root.size()) == u'/');
}

} // namespace

QList<Volume> MountedVolumes() {
    QList<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid()) {
            continue;
        }
        const QString root = storage.rootPath();
        const QString name = storage.name();
        volumes.append({root, name.isEmpty() || name == root
                                  ? root
                                  : QStringLiteral("%1 [%2]").arg(root, name)});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        return a.RootPath < b.RootPath; // "/" sorts first
    });
    return volumes;
}

bool VolumeIsReady(const QString& rootPath) {
    const QStorageInfo storage(rootPath);
    const QFileInfo top(rootPath);
    return storage.isValid() && storage.isReady() && storage.rootPath() == rootPath &&
           top.isDir() && top.isExecutable() && QDir(rootPath).isReadable();
}

qsizetype VolumeIndexOf(const QList<Volume>& volumes, const QString& path) {
    const QString clean = QDir::cleanPath(path);
    qsizetype best = -1;
    for (qsizetype i = 0; i < volumes.size(); ++i) {
        const QString& root = volumes[i].RootPath;
        if (Contains(root, clean) && (best < 0 || root.size() > volumes[best].RootPath.size())) {
            best = i;
        }
    }
    return best;
}
