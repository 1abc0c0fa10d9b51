// Fuzz target for the settings file: the INI reader and writer and the settings loaded from
// whatever text the file holds.
#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "settings/IniFile.h"
#include "settings/SettingsModule.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>

namespace {

// What a read takes at most of a value, as the settings do.
constexpr qsizetype kValueBytes = 49;
constexpr QByteArrayView kAbsent("lq.ini");

// The text up to the first line feed of `rest` (all of it when there is none); `rest` keeps
// what follows the line feed.
QByteArrayView TakeLine(QByteArrayView& rest) {
    const qsizetype lineFeed = rest.indexOf('\n');
    if (lineFeed < 0) {
        const QByteArrayView line = rest;
        rest = {};
        return line;
    }
    const QByteArrayView line = rest.first(lineFeed);
    rest = rest.sliced(lineFeed + 1);
    return line;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView Trimmed(QByteArrayView text) {
    while (!text.isEmpty() && IsBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && IsBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

// The file's naming rule, written out independently of the reader: blanks around a name do
// not count, and only ASCII letters match regardless of case.
bool SameName(QByteArrayView a, QByteArrayView b) {
    a = Trimmed(a);
    b = Trimmed(b);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

bool HoldsLineBreakOrNul(QByteArrayView text) {
    return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

// The only reasons a write may be refused.
bool MayBeRefused(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    section = Trimmed(section);
    key = Trimmed(key);
    return HoldsLineBreakOrNul(section) || section.contains(']') || key.isEmpty() ||
           HoldsLineBreakOrNul(key) || key.contains('=') || key.startsWith(';') ||
           key.startsWith('[') || HoldsLineBreakOrNul(value);
}

// The part of `before` that differs from `after`: what lies between their longest common
// beginning and their longest common end (which do not overlap).
QByteArrayView ChangedPart(QByteArrayView before, QByteArrayView after) {
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    return before.sliced(prefix, before.size() - prefix - suffix);
}

bool WriteFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), bytes.size()) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CheckSettingsInRange(const SettingsModule& s) {
    FUZZ_CHECK(s.DataFormat >= 0 && s.DataFormat <= 4);
    FUZZ_CHECK(s.MagStep >= 1 && s.MagStep <= 4);
    FUZZ_CHECK(s.LineWidth >= 1 && s.LineWidth <= 4);
    FUZZ_CHECK(s.CursorShape >= 0 && s.CursorShape <= 2);
    FUZZ_CHECK(s.SourceAppEnabled == 0 || s.SourceAppEnabled == 1);
    FUZZ_CHECK(s.NoWait == 0 || s.NoWait == 1);
    FUZZ_CHECK(s.NoWaitDelay >= 0 && s.NoWaitDelay <= 9999);
    for (const QString* text : {&s.SourceAppPath, &s.AccessKeyNotation, &s.DefaultDataPath}) {
        FUZZ_CHECK(text->size() <= kValueBytes && !text->contains(QChar(0)));
    }
}

} // namespace

void FuzzIniFile(QByteArrayView input) {
    QByteArrayView rest = input;
    const QByteArrayView section = TakeLine(rest);
    const QByteArrayView key = TakeLine(rest);
    const QByteArrayView value = TakeLine(rest);
    const QByteArrayView otherSection = TakeLine(rest);
    const QByteArrayView otherKey = TakeLine(rest);
    const QByteArrayView content = rest;

    // Reading from memory.
    const std::optional<QByteArray> found = IniFile::FindEntry(content, section, key);
    const QByteArray expectedRead = IniFile::ValueText(found ? *found : kAbsent, kValueBytes);
    if (found) {
        FUZZ_CHECK(!found->contains('\n'));
        FUZZ_CHECK(expectedRead.size() <= kValueBytes && !expectedRead.contains('\0'));
        FUZZ_CHECK(expectedRead.isEmpty() || !IsBlank(expectedRead.front()));
        FUZZ_CHECK(found->contains(expectedRead));
    }
    const std::optional<QByteArray> other = IniFile::FindEntry(content, otherSection, otherKey);

    // Writing in memory: the entry reads back as written, no other entry reads differently,
    // and the bytes that changed lie inside one line of the old text.
    const std::optional<QByteArray> written = IniFile::WithEntry(content, section, key, value);
    FUZZ_CHECK(written || MayBeRefused(section, key, value));
    if (written) {
        FUZZ_CHECK(IniFile::FindEntry(*written, section, key) == value.toByteArray());
        if (!(SameName(section, otherSection) && SameName(key, otherKey))) {
            FUZZ_CHECK(IniFile::FindEntry(*written, otherSection, otherKey) == other);
        }
        FUZZ_CHECK(!ChangedPart(content, *written).contains('\n'));
    }

    // The same through a real file, and the settings the program would start with.
    if (content.size() > IniFile::MaxFileBytes) {
        return;
    }
    static const QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/lq.ini");
    FUZZ_CHECK(WriteFile(path, content));
    FUZZ_CHECK(IniFile::ReadEntry(path, section, key, kAbsent, kValueBytes) == expectedRead);

    SettingsModule settings;
    settings.IniPath = path;
    LoadSettings(settings);
    CheckSettingsInRange(settings);

    const bool stored = IniFile::WriteEntry(path, section, key, value);
    FUZZ_CHECK(stored == written.has_value());
    FUZZ_CHECK(ReadFile(path) == (stored ? *written : content.toByteArray()));
    if (stored) {
        FUZZ_CHECK(IniFile::ReadEntry(path, section, key, kAbsent, kValueBytes) ==
                   IniFile::ValueText(value, kValueBytes));
    }
}
