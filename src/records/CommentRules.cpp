#include "records/CommentRules.h"

#include <QList>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The value of `s` when it is a number in its plain form: an optional "-" only before a
// value other than zero; an integer part that is a non-zero digit followed by digits, or
// "0" alone when no fraction follows, or nothing when one does; an optional fraction of
// "." and digits not ending in "0"; at least one digit in all.
std::optional<double> plainNumber(const QString& s) {
    int i = 0;
    const bool negative = s.startsWith(QLatin1Char('-'));
    if (negative) {
        i = 1;
    }
    const int intStart = i;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
    }
    const int intLength = i - intStart;
    int fracLength = 0;
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        ++i;
        const int fracStart = i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
        }
        fracLength = i - fracStart;
        if (fracLength == 0 || s[i - 1] == QLatin1Char('0')) {
            return std::nullopt;
        }
    }
    if (i != s.size() || intLength + fracLength == 0) {
        return std::nullopt;
    }
    if (intLength > 0 && s[intStart] == QLatin1Char('0') && (intLength > 1 || fracLength > 0)) {
        return std::nullopt;
    }
    const std::string text = s.toStdString();
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (negative && value == 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

int CharacterCount(const QString& text) {
    return int(text.toUcs4().size());
}

QString FirstCharacters(const QString& text, int count) {
    int units = 0;
    for (int n = 0; n < count && units < text.size(); ++n) {
        units += (text[units].isHighSurrogate() && units + 1 < text.size() &&
                  text[units + 1].isLowSurrogate())
                     ? 2
                     : 1;
    }
    return text.left(units);
}

QString CommentFieldFrom(const QString& text) {
    const QString cut = FirstCharacters(text, kCommentLength);
    return cut + QString(kCommentLength - CharacterCount(cut), QLatin1Char(' '));
}

QString AutoI(const QString& Comment) {
    // Only blanks count as empty, as in the data file's trimming.
    bool blank = true;
    for (QChar c : Comment) {
        blank = blank && c == QLatin1Char(' ');
    }
    if (blank || !isDigit(Comment.back())) {
        return Comment;
    }
    QString prefix;
    int32_t number = 0;
    for (int i = 1; i <= Comment.size(); ++i) {
        const auto value = plainNumber(Comment.right(i));
        if (!value) {
            break;
        }
        const double rounded = std::nearbyint(*value);
        if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
            return Comment; // beyond a 16-bit number: numbering gives up
        }
        prefix = Comment.left(Comment.size() - i);
        number = int32_t(rounded);
    }
    if (number + 1 > 32767) {
        return Comment;
    }
    return prefix + QString::number(number + 1);
}
