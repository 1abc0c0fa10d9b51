#include "records/DataFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <unistd.h>

namespace {

constexpr qint64 kChunk = 1 << 16;

void setError(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
}

// Writes the whole of `path` from `source` (read to its end) through a temporary file that
// is renamed into place. A file already at `path` keeps its permissions.
bool replaceFrom(QIODevice& source, const QString& path, QString* error) {
    const QFileInfo target(path);
    if (target.isDir()) {
        setError(error, QStringLiteral("%1 is a folder.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly)) {
        setError(error, save.errorString());
        return false;
    }
    if (target.exists()) {
        save.setPermissions(target.permissions());
    }
    QByteArray chunk;
    while (!(chunk = source.read(kChunk)).isEmpty()) {
        if (save.write(chunk) != chunk.size()) {
            setError(error, save.errorString());
            save.cancelWriting();
            return false;
        }
    }
    if (!source.atEnd()) {
        setError(error, source.errorString());
        save.cancelWriting();
        return false;
    }
    if (!save.commit()) {
        setError(error, save.errorString());
        return false;
    }
    return true;
}

bool readOnlyFree(const QFileInfo& info) {
    return info.isWritable() && (info.permissions() & QFile::WriteOwner);
}

bool openExistingFile(QFile& file, QIODevice::OpenMode mode, QString* error) {
    const QFileInfo info(file.fileName());
    if (!info.exists()) {
        setError(
            error,
            QStringLiteral("%1 does not exist.").arg(QDir::toNativeSeparators(file.fileName())));
        return false;
    }
    if (info.isDir()) {
        setError(error,
                 QStringLiteral("%1 is a folder.").arg(QDir::toNativeSeparators(file.fileName())));
        return false;
    }
    // A file its owner made read-only stays so, also for a user whom the system would let
    // write it anyway.
    if ((mode & QIODevice::WriteOnly) && !readOnlyFree(info)) {
        setError(error, QStringLiteral("%1 is read-only.")
                            .arg(QDir::toNativeSeparators(file.fileName())));
        return false;
    }
    if (!file.open(mode | QIODevice::ExistingOnly)) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString BackupFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/linealis");
}

QString BackupPathFor(const QString& dataPath, const QString& folder) {
    const QString absolute = QFileInfo(dataPath).absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    // The data file's name first, so that a person looking in the folder finds their way.
    QString name = QFileInfo(dataPath).completeBaseName().left(40);
    for (QChar& c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') &&
            c != QLatin1Char('_')) {
            c = QLatin1Char('_');
        }
    }
    return folder + QLatin1Char('/') + name + QLatin1Char('-') + QString::fromLatin1(hash) +
           QStringLiteral(".bak");
}

QByteArray EncodedLine(const QString& line) {
    return line.toUtf8() + QByteArrayLiteral("\r\n");
}

bool CreateDataFile(const QString& path, const QString& header, QString* error) {
    QByteArray bytes = EncodedLine(header);
    QBuffer source(&bytes);
    source.open(QIODevice::ReadOnly);
    return replaceFrom(source, path, error);
}

bool RefreshBackup(const QString& dataPath, const QString& backupPath, QString* error) {
    QFile data(dataPath);
    if (!openExistingFile(data, QIODevice::ReadOnly, error)) {
        return false;
    }
    const QString folder = QFileInfo(backupPath).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder)) {
            setError(error, QStringLiteral("The folder %1 could not be made.")
                                .arg(QDir::toNativeSeparators(folder)));
            return false;
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return replaceFrom(data, backupPath, error);
}

bool AppendLine(const QString& dataPath, const QString& line, QString* error) {
    QFile file(dataPath);
    if (!openExistingFile(file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                          error)) {
        return false;
    }
    const qint64 before = file.size();
    const QByteArray bytes = EncodedLine(line);
    // On the disk before it counts as written: a full disk may only show at this point.
    bool written = file.write(bytes) == bytes.size() && ::fsync(file.handle()) == 0;
    if (!written) {
        setError(error, file.errorString());
        file.resize(before); // a part of the row may have gone in
    }
    file.close();
    if (written && file.error() != QFileDevice::NoError) {
        setError(error, file.errorString());
        written = false;
    }
    return written;
}

bool RestoreBackup(const QString& backupPath, const QString& dataPath, QString* error) {
    QFile backup(backupPath);
    if (!openExistingFile(backup, QIODevice::ReadOnly, error)) {
        return false;
    }
    const QFileInfo data(dataPath);
    if (data.exists() && !data.isDir() && !readOnlyFree(data)) {
        setError(error, QStringLiteral("%1 is read-only.").arg(QDir::toNativeSeparators(dataPath)));
        return false;
    }
    return replaceFrom(backup, dataPath, error);
}
