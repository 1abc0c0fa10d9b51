#include "SettingsModule.h"

#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

// What an absent entry reads as: the settings file's own name.
constexpr QByteArrayView AbsentText("lq.ini");

// Bytes of a value that a read takes at most.
constexpr qsizetype ValueBytes = 49;

// The longest delay the source application dialog accepts: four digits.
constexpr int16_t MaxNoWaitDelay = 9999;

bool IsAbsolute(const QString& path) {
    return path.startsWith(u'/');
}

QString HomeFolder() {
    const QString home = QFile::decodeName(qgetenv("HOME"));
    if (IsAbsolute(home)) {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
        return QFile::decodeName(entry->pw_dir);
    }
    return QDir::homePath();
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

template <typename T> void KeepWithin(T& value, T low, T high, T replacement) {
    if (value < low || value > high) {
        value = replacement;
    }
}

} // namespace

QString DefaultIniPath() {
    // An empty or relative XDG_CONFIG_HOME is to be ignored, as if it were not set.
    QString configHome = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (!IsAbsolute(configHome)) {
        configHome = HomeFolder() + QStringLiteral("/.config");
    }
    return QDir::cleanPath(configHome + QStringLiteral("/linealis/lq.ini"));
}

QString ReadIniString(const QString& iniPath, const QString& Section, const QString& Key) {
    const QByteArray value =
        IniFile::ReadEntry(iniPath, Section.toUtf8(), Key.toUtf8(), AbsentText, ValueBytes);
    // The cut to 49 bytes can leave blanks at the end.
    return TrimBlanks(QString::fromUtf8(value));
}

int16_t ReadIniInteger(const QString& iniPath, const QString& Section, const QString& Key) {
    const QString text = ReadIniString(iniPath, Section, Key);
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // The number's characters are ASCII, so they can be collected for from_chars, which
    // (unlike strtod) does not depend on the locale's decimal point.
    std::string number;
    bool hasDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        number.push_back(char(text[i].unicode()));
        hasDigit = true;
    }
    if (i < text.size() && text[i] == u'.') {
        number.push_back('.');
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            number.push_back(char(text[i].unicode()));
            hasDigit = true;
        }
    }
    if (!hasDigit) {
        return 0;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != number.data() + number.size()) {
        return 0;
    }
    // Ties to even under the default rounding mode, which the program never changes.
    const double rounded = std::nearbyint(negative ? -value : value);
    // A number beyond the 16-bit range holds nothing the program can use: it reads as 0,
    // like a value that is not a number, rather than wrapping around.
    if (!(rounded >= INT16_MIN && rounded <= INT16_MAX)) {
        return 0;
    }
    return static_cast<int16_t>(rounded);
}

bool WriteIniString(const QString& iniPath, const QString& Section, const QString& Key,
                    const QString& Value) {
    return IniFile::WriteEntry(iniPath, Section.toUtf8(), Key.toUtf8(), Value.toUtf8());
}

QString IniNumberText(int value) {
    const QString digits = QString::number(value);
    return value < 0 ? digits : QStringLiteral(" ") + digits;
}

void LoadSettings(SettingsModule& s) {
    const QString& ini = s.IniPath;
    const QString sourceApp = QStringLiteral("source app");
    const QString options = QStringLiteral("options");
    s.SourceAppPath = ReadIniString(ini, sourceApp, QStringLiteral("app"));
    s.AccessKeyNotation = ReadIniString(ini, sourceApp, QStringLiteral("key"));
    s.NoWait = ReadIniInteger(ini, sourceApp, QStringLiteral("notwait"));
    s.NoWaitDelay = ReadIniInteger(ini, sourceApp, QStringLiteral("notwaitms"));
    s.DataFormat = ReadIniInteger(ini, options, QStringLiteral("delimiter"));
    s.MagStep = ReadIniInteger(ini, options, QStringLiteral("MagRate"));
    s.LineWidth = ReadIniInteger(ini, options, QStringLiteral("PenWidth"));
    s.CursorShape = ReadIniInteger(ini, options, QStringLiteral("Sloped"));
    s.SourceAppEnabled = ReadIniInteger(ini, options, QStringLiteral("UseSourceApp"));
    s.DefaultDataPath = ReadIniString(ini, options, QStringLiteral("datapath"));
    MendSettings(s);
}

void MendSettings(SettingsModule& s) {
    // An absent file reads every number as 0; MagStep and LineWidth 0 would hide the picture
    // and the guide lines, so they get the options dialog's usual starting values.
    KeepWithin<int16_t>(s.DataFormat, 0, 4, 0);
    KeepWithin<int16_t>(s.MagStep, 1, 4, 2);
    KeepWithin<int16_t>(s.LineWidth, 1, 4, 1);
    KeepWithin<int16_t>(s.CursorShape, 0, 2, 0);
    KeepWithin<int16_t>(s.SourceAppEnabled, 0, 1, 0);
    KeepWithin<int16_t>(s.NoWait, 0, 1, 0);
    if (s.NoWaitDelay < 0) {
        s.NoWaitDelay = 0;
    } else if (s.NoWaitDelay > MaxNoWaitDelay) {
        s.NoWaitDelay = MaxNoWaitDelay;
    }
}

void UpdateSourceAppInfo(SettingsModule& s) {
    // Both separators count: the path may have been written on either kind of system.
    const QString& path = s.SourceAppPath;
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    s.SourceAppName = path.mid(separator + 1);

    QString text;
    for (const QChar c : s.AccessKeyNotation) {
        if (c >= u'a' && c <= u'z') {
            text.append(c.toUpper());
        } else if (c == u'+') {
            text.prepend(QStringLiteral("<Shift>+"));
            s.AccessKeyModifier = 0;
        } else if (c == u'^') {
            text.prepend(QStringLiteral("<Ctrl>+"));
            s.AccessKeyModifier = 1;
        } else if (c == u'%') {
            text.prepend(QStringLiteral("<Alt>+"));
            s.AccessKeyModifier = 2;
        }
    }
    s.AccessKeyText = text;
}

QString LettersOnly(const QString& Text) {
    QString letters;
    for (const QChar c : Text) {
        if (c >= u'a' && c <= u'z') {
            letters.append(c);
        }
    }
    return letters;
}
