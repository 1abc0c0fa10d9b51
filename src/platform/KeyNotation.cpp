#include "platform/KeyNotation.h"

namespace {

struct Modifiers {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;

    bool Any() const { return ctrl || alt || shift; }
};

std::optional<QStringList> fail(QString* error, const QString& why) {
    if (error) {
        *error = why;
    }
    return std::nullopt;
}

QString describe(QChar c) {
    if (c.isPrint() && !c.isSpace()) {
        return QStringLiteral("\"%1\"").arg(c);
    }
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

QString sequence(const Modifiers& held, char key) {
    QString result;
    if (held.ctrl) {
        result += QLatin1String("ctrl+");
    }
    if (held.alt) {
        result += QLatin1String("alt+");
    }
    if (held.shift) {
        result += QLatin1String("shift+");
    }
    result += QLatin1Char(key);
    return result;
}

} // namespace

std::optional<QStringList> ParseKeyNotation(const QString& notation, QString* error) {
    if (notation.isEmpty()) {
        return fail(error, QStringLiteral("the key notation is empty"));
    }
    if (notation.size() > kMaxKeyNotationLength) {
        return fail(error, QStringLiteral("the key notation is longer than %1 characters")
                               .arg(kMaxKeyNotationLength));
    }

    QStringList keys;
    Modifiers held;
    for (qsizetype i = 0; i < notation.size(); ++i) {
        const char16_t c = notation.at(i).unicode();
        if (c == u'+') {
            held.shift = true;
        } else if (c == u'^') {
            held.ctrl = true;
        } else if (c == u'%') {
            held.alt = true;
        } else if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            keys.append(sequence(held, static_cast<char>(c)));
            held = {};
        } else if (c >= u'A' && c <= u'Z') {
            held.shift = true;
            keys.append(sequence(held, static_cast<char>(c - u'A' + u'a')));
            held = {};
        } else {
            // One arg() call, so that a "%" in the notation is never taken for a marker.
            return fail(error,
                        QStringLiteral("the key notation \"%1\" has %2 at position %3; "
                                       "only letters, digits and the modifiers "
                                       "+ ^ % are allowed")
                            .arg(notation, describe(notation.at(i)), QString::number(i + 1)));
        }
    }
    if (held.Any()) {
        return fail(error, QStringLiteral("the key notation \"%1\" ends with a modifier and no "
                                          "key for it")
                               .arg(notation));
    }
    return keys;
}
