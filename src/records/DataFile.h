// The data file of a program run on disk: created with its header line at the first save,
// one row appended per save, and a one-level backup taken before each append so that the
// last row can be taken back. Every operation either happens whole or leaves the files as
// they were.
#pragma once

#include <QByteArray>
#include <QString>

// This user's private folder of backups: $XDG_STATE_HOME/linealis, by default
// ~/.local/state/linealis.
QString BackupFolder();

// The one backup file of the data file `dataPath` in `folder`: the same data file always
// maps to the same backup, and two data files never share one.
QString BackupPathFor(const QString& dataPath, const QString& folder);

// One line of the data file as it is written: the text in UTF-8 (no byte-order mark)
// followed by CR LF.
QByteArray EncodedLine(const QString& line);

// Makes `path` a data file holding `header` and its line end, replacing any file there.
bool CreateDataFile(const QString& path, const QString& header, QString* error = nullptr);

// Copies the data file over its backup. The backup's folder is made private (mode 0700)
// when it is missing; the copy is renamed into place, so an old backup is never half
// replaced.
bool RefreshBackup(const QString& dataPath, const QString& backupPath, QString* error = nullptr);

// Appends `line` and its line end to the existing data file `dataPath`. A file that has
// gone, is not writable, or fills up on the way is left exactly as it was.
bool AppendLine(const QString& dataPath, const QString& line, QString* error = nullptr);

// Puts the backup back in place of the data file. When it cannot, the data file is left as
// it was.
bool RestoreBackup(const QString& backupPath, const QString& dataPath, QString* error = nullptr);
