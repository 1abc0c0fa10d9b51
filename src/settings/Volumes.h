// The mounted file systems offered beside the directory tree of the default data path
// dialog, and whether the tree can open one of them.
#pragma once

#include <QList>
#include <QString>

struct Volume {
    QString RootPath; // where the file system is mounted: "/", "/media/stick"
    QString Caption;  // what the list shows
    bool operator==(const Volume&) const = default;
};

// The file systems mounted now, "/" first, then by mount point.
QList<Volume> MountedVolumes();

// True when `rootPath` is still the mount point of a file system that answers and whose top
// directory can be listed: a stick pulled out or a network share gone away is not ready.
bool VolumeIsReady(const QString& rootPath);

// The position in `volumes` of the file system holding `path`: the longest mount point that
// is `path` or one of its parent directories; -1 when there is none.
qsizetype VolumeIndexOf(const QList<Volume>& volumes, const QString& path);
