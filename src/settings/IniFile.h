// The profile functions behind lq.ini: read one entry of an INI text file with a default, and
// write one entry while every other byte of the file stays as it was.
//
// The file layout understood here:
// - Lines end in LF or CR LF. A UTF-8 byte order mark at the start of the file is skipped.
// - A line whose first non-blank character is "[" is a section header; the name runs to the
//   first "]" (or to the end of the line when there is none). Anything after the "]" is ignored.
// - A line whose first non-blank character is ";" is a comment.
// - Any other line with an "=" is an entry: the name before the first "=", the value after it.
// - Lines without "=" are ignored, and so are entries before the first section header.
// Section and key names are compared without regard to ASCII letter case, with blanks (spaces
// and tabs) around them trimmed. The first matching section is the only one searched, and in it
// the first matching key wins; writing uses the same rule, so a write is what the next read sees.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace IniFile {

// A file longer than this is not taken for a settings file: it reads as absent and is never
// rewritten. lq.ini holds a few hundred bytes.
inline constexpr qint64 MaxFileBytes = 1024 * 1024;

// The value of `key` in section `section` of the file text `content`, exactly as it stands
// after the "=" (without the line end); nothing when the section or the key is absent.
std::optional<QByteArray> FindEntry(QByteArrayView content, QByteArrayView section,
                                    QByteArrayView key);

// The value text handed to a reader: cut at the first NUL byte, blanks around it removed, then
// at most `maxBytes` bytes, backing off to the start of a UTF-8 character that would be split.
QByteArray ValueText(QByteArrayView raw, qsizetype maxBytes);

// `content` with the entry set to `value`:
// - the first matching key line keeps everything up to and including its "=" and its line
//   end; only the bytes between them are replaced;
// - a missing key becomes the line key=value right after the last non-blank line of the
//   section;
// - a missing section is appended at the end of the file as [section] and key=value, after a
//   line end if the file does not already end with one.
// New lines end like the first line of the file (CR LF or LF; LF when there is no line end).
// Nothing when the entry cannot be stored so that it reads back as written: a value holding a
// CR, LF or NUL (it would end the line or the value early), an empty key, a key holding "=" or
// starting with ";" or "[", a section holding "]", or a name holding a CR, LF or NUL.
std::optional<QByteArray> WithEntry(QByteArrayView content, QByteArrayView section,
                                    QByteArrayView key, QByteArrayView value);

// Reads an entry of the file at `path`: its ValueText, or `defaultText` (cut the same way)
// when the file, the section or the key is absent, or when the file cannot be read or is not a
// regular file (a directory, a FIFO) or is longer than MaxFileBytes.
QByteArray ReadEntry(const QString& path, QByteArrayView section, QByteArrayView key,
                     QByteArrayView defaultText, qsizetype maxBytes);

// Writes an entry of the file at `path` as WithEntry describes, creating the missing folders
// (mode 0700) and the file. The new text goes to a temporary file in the same folder, which then
// replaces the old file by a rename, so a reader sees either the old file or the new one; the
// old file's permissions are kept, and a symbolic link is followed, so the link stays and its
// target is replaced. Returns false, leaving the old file as it was, when the existing file
// cannot be read, the entry cannot be stored, or the folder or the file cannot be written.
bool WriteEntry(const QString& path, QByteArrayView section, QByteArrayView key,
                QByteArrayView value);

} // namespace IniFile
