#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <vector>

namespace IniFile {
namespace {

constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView TrimBlanks(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Only ASCII letters are folded: Qt's case-insensitive byte comparison folds Latin-1, which
// would make distinct UTF-8 lead bytes compare equal.
bool SameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool HoldsLineBreakOrNul(QByteArrayView text) {
    return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

// Names that a line of the file can carry so that it reads back as the same entry.
bool IsStorableSection(QByteArrayView section) {
    return !HoldsLineBreakOrNul(section) && !section.contains(']');
}

bool IsStorableKey(QByteArrayView key) {
    return !key.isEmpty() && !HoldsLineBreakOrNul(key) && !key.contains('=') &&
           !key.startsWith(';') && !key.startsWith('[');
}

struct Line {
    enum Kind { Blank, Comment, Section, Entry, Other };
    Kind kind = Blank;
    qsizetype textEnd = 0;    // end of the text, before CR LF, LF or a CR at the end of file
    qsizetype end = 0;        // after the line end
    QByteArrayView name;      // section or key name, blanks trimmed
    qsizetype valueBegin = 0; // Entry: first byte after the "="

    bool endsWithLineFeed(QByteArrayView content) const {
        return end > textEnd && content[end - 1] == '\n';
    }
};

Line ClassifyLine(QByteArrayView content, qsizetype textBegin, qsizetype textEnd) {
    Line line;
    line.textEnd = textEnd;
    const QByteArrayView text = content.sliced(textBegin, textEnd - textBegin);
    const QByteArrayView trimmed = TrimBlanks(text);
    if (trimmed.isEmpty()) {
        line.kind = Line::Blank;
    } else if (trimmed.front() == ';') {
        line.kind = Line::Comment;
    } else if (trimmed.front() == '[') {
        line.kind = Line::Section;
        QByteArrayView inside = trimmed.sliced(1);
        const qsizetype close = inside.indexOf(']');
        if (close >= 0) {
            inside = inside.first(close);
        }
        line.name = TrimBlanks(inside);
    } else if (const qsizetype equals = text.indexOf('='); equals >= 0) {
        line.kind = Line::Entry;
        line.name = TrimBlanks(text.first(equals));
        line.valueBegin = textBegin + equals + 1;
    } else {
        line.kind = Line::Other;
    }
    return line;
}

std::vector<Line> SplitLines(QByteArrayView content) {
    std::vector<Line> lines;
    qsizetype begin = content.startsWith(Utf8Bom) ? Utf8Bom.size() : 0;
    while (begin < content.size()) {
        const qsizetype lineFeed = content.indexOf('\n', begin);
        qsizetype textEnd = lineFeed >= 0 ? lineFeed : content.size();
        if (textEnd > begin && content[textEnd - 1] == '\r') {
            --textEnd;
        }
        Line line = ClassifyLine(content, begin, textEnd);
        line.end = lineFeed >= 0 ? lineFeed + 1 : content.size();
        lines.push_back(line);
        begin = line.end;
    }
    return lines;
}

// Where an entry is, or where it would go.
struct Location {
    std::optional<size_t> section; // the header line of the first matching section
    std::optional<size_t> entry;   // the first matching key line inside it
    size_t lastNonBlank = 0;       // the section's last non-blank line (its header at least)
};

Location Locate(const std::vector<Line>& lines, QByteArrayView section, QByteArrayView key) {
    Location where;
    size_t i = 0;
    while (i < lines.size() &&
           !(lines[i].kind == Line::Section && SameName(lines[i].name, section))) {
        ++i;
    }
    if (i == lines.size()) {
        return where;
    }
    where.section = i;
    where.lastNonBlank = i;
    for (++i; i < lines.size() && lines[i].kind != Line::Section; ++i) {
        if (lines[i].kind != Line::Blank) {
            where.lastNonBlank = i;
        }
        if (lines[i].kind == Line::Entry && SameName(lines[i].name, key)) {
            where.entry = i;
            break;
        }
    }
    return where;
}

QByteArrayView LineEndOf(QByteArrayView content) {
    const qsizetype lineFeed = content.indexOf('\n');
    if (lineFeed > 0 && content[lineFeed - 1] == '\r') {
        return "\r\n";
    }
    return "\n";
}

// What completes the unfinished last line of `content`: nothing when it ends with a line feed
// (or is empty), the missing LF after a lone CR, else a whole line end.
QByteArrayView LineEndToFinish(QByteArrayView content, QByteArrayView lineEnd) {
    if (content.isEmpty() || content == Utf8Bom || content.endsWith('\n')) {
        return {};
    }
    if (content.endsWith('\r')) {
        return "\n";
    }
    return lineEnd;
}

struct FileText {
    enum State { Missing, Unreadable, Read };
    State state = Missing;
    QByteArray bytes;
};

FileText ReadFileText(const QString& path) {
    FileText text;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        return text;
    }
    text.state = FileText::Unreadable;
    // Only a regular file: reading a FIFO would block, a device may never end.
    if (!info.isFile() || info.size() > MaxFileBytes) {
        return text;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return text;
    }
    // As much as the file holds and one byte more, which tells a file that grew since it was
    // measured; such a file is read on up to the limit. Asking for the limit at once would
    // allocate a megabyte for every read of a file of a few hundred bytes.
    QByteArray bytes = file.read(info.size() + 1);
    if (bytes.size() > info.size() && bytes.size() <= MaxFileBytes) {
        bytes.append(file.read(MaxFileBytes + 1 - bytes.size()));
    }
    if (file.error() != QFileDevice::NoError || bytes.size() > MaxFileBytes) {
        return text;
    }
    text.state = FileText::Read;
    text.bytes = std::move(bytes);
    return text;
}

// Creates `folder` and its missing parents, each new one readable only by the user.
bool MakeFolders(const QString& folder) {
    QStringList missing;
    QString current = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(current).exists()) {
        missing.prepend(current);
        const QString parent = QFileInfo(current).path();
        if (parent == current) {
            return false;
        }
        current = parent;
    }
    const QDir root;
    for (const QString& path : missing) {
        if (!root.mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
            !QFileInfo(path).isDir()) {
            return false;
        }
    }
    return QFileInfo(folder).isDir();
}

} // namespace

std::optional<QByteArray> FindEntry(QByteArrayView content, QByteArrayView section,
                                    QByteArrayView key) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (!IsStorableSection(section) || !IsStorableKey(key)) {
        return std::nullopt;
    }
    const std::vector<Line> lines = SplitLines(content);
    const Location where = Locate(lines, section, key);
    if (!where.entry) {
        return std::nullopt;
    }
    const Line& line = lines[*where.entry];
    return content.sliced(line.valueBegin, line.textEnd - line.valueBegin).toByteArray();
}

QByteArray ValueText(QByteArrayView raw, qsizetype maxBytes) {
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0) {
        raw = raw.first(nul);
    }
    raw = TrimBlanks(raw);
    if (maxBytes <= 0) {
        return {};
    }
    if (raw.size() <= maxBytes) {
        return raw.toByteArray();
    }
    // A UTF-8 character is at most four bytes: back off over at most three continuation
    // bytes. Text that is not UTF-8 has no boundary to respect and is cut where it is.
    auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    qsizetype cut = maxBytes;
    for (int step = 0; step < 3 && cut > 0 && isContinuation(raw[cut]); ++step) {
        --cut;
    }
    if (isContinuation(raw[cut])) {
        cut = maxBytes;
    }
    return raw.first(cut).toByteArray();
}

std::optional<QByteArray> WithEntry(QByteArrayView content, QByteArrayView section,
                                    QByteArrayView key, QByteArrayView value) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (!IsStorableSection(section) || !IsStorableKey(key) || HoldsLineBreakOrNul(value)) {
        return std::nullopt;
    }
    const std::vector<Line> lines = SplitLines(content);
    const Location where = Locate(lines, section, key);
    const QByteArrayView lineEnd = LineEndOf(content);
    QByteArray result;
    result.reserve(content.size() + section.size() + key.size() + value.size() + 8);

    if (where.entry) {
        const Line& line = lines[*where.entry];
        result.append(content.first(line.valueBegin));
        result.append(value);
        result.append(content.sliced(line.textEnd));
        return result;
    }

    if (where.section) {
        const Line& last = lines[where.lastNonBlank];
        const QByteArrayView before = content.first(last.end);
        result.append(before);
        if (!last.endsWithLineFeed(content)) {
            result.append(LineEndToFinish(before, lineEnd));
        }
        result.append(key).append('=').append(value).append(lineEnd);
        result.append(content.sliced(last.end));
        return result;
    }

    result.append(content);
    result.append(LineEndToFinish(content, lineEnd));
    result.append('[').append(section).append(']').append(lineEnd);
    result.append(key).append('=').append(value).append(lineEnd);
    return result;
}

QByteArray ReadEntry(const QString& path, QByteArrayView section, QByteArrayView key,
                     QByteArrayView defaultText, qsizetype maxBytes) {
    const FileText file = ReadFileText(path);
    if (file.state == FileText::Read) {
        if (const auto raw = FindEntry(file.bytes, section, key)) {
            return ValueText(*raw, maxBytes);
        }
    }
    return ValueText(defaultText, maxBytes);
}

bool WriteEntry(const QString& path, QByteArrayView section, QByteArrayView key,
                QByteArrayView value) {
    // A file that could not be read is never replaced: its entries would be lost.
    const FileText file = ReadFileText(path);
    if (file.state == FileText::Unreadable) {
        return false;
    }
    const std::optional<QByteArray> updated = WithEntry(file.bytes, section, key, value);
    if (!updated) {
        return false;
    }
    if (file.state == FileText::Read && *updated == file.bytes) {
        return true;
    }
    if (!MakeFolders(QFileInfo(path).absolutePath())) {
        return false;
    }
    // QSaveFile writes a temporary file next to the target and renames it over the target;
    // without the direct-write fallback it fails rather than overwrite in place. It follows a
    // symbolic link to its target and gives the new file the old one's permissions.
    // Unbuffered, because QSaveFile (Qt 6.4) does not notice a write that fails only while
    // its buffer is flushed in commit(), and would rename the cut-off file into place.
    QSaveFile out(path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    if (out.write(*updated) != updated->size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

} // namespace IniFile
