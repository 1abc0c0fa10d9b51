// Fuzz target for the comment of a measurement: the ten-character field, the automatic
// numbering and the rows of every data file layout.
#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "records/CommentRules.h"
#include "records/DataFileFormat.h"

#include <cstdint>

namespace {

constexpr QByteArrayView kUtf16Mark("\xFF\xFE");

QString CommentFrom(QByteArrayView input) {
    if (!input.startsWith(kUtf16Mark)) {
        return QString::fromUtf8(input);
    }
    input = input.sliced(kUtf16Mark.size());
    QString text;
    for (qsizetype i = 0; i + 1 < input.size(); i += 2) {
        text.append(QChar(char16_t(uint8_t(input[i]) | uint8_t(input[i + 1]) << 8)));
    }
    return text;
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Automatic numbering only ever replaces a trailing part of the comment by a number of the
// 16-bit range written plainly.
bool IsRenumbered(const QString& before, const QString& after) {
    for (qsizetype keep = before.size() - 1; keep >= 0; --keep) {
        if (after.size() <= keep ||
            QStringView(after).first(keep) != QStringView(before).first(keep)) {
            continue;
        }
        const QString number = after.sliced(keep);
        bool ok = false;
        const int value = number.toInt(&ok);
        if (ok && value >= -32767 && value <= 32767 && QString::number(value) == number) {
            return true;
        }
    }
    return false;
}

QString Trimmed(const QString& field) {
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && field[begin] == u' ') {
        ++begin;
    }
    while (end > begin && field[end - 1] == u' ') {
        --end;
    }
    return field.sliced(begin, end - begin);
}

void CheckRows(const QString& field) {
    const struct {
        int16_t dist, dx, dy;
    } values[] = {{0, 0, 0}, {32767, -32768, 1}, {-1, 12345, -32768}};
    for (const int format : {-1, 0, 1, 2, 3, 4, 5}) {
        const QString header = HeaderLine(format);
        FUZZ_CHECK(header.isEmpty() == (format < 0 || format > 4));
        for (const auto& v : values) {
            const QString previous = QStringLiteral("previous row");
            QString dataLine = previous;
            const QString row = RowLine(format, v.dist, v.dx, v.dy, field, dataLine);
            const QString numbers[] = {QString::number(v.dist), QString::number(v.dx),
                                       QString::number(v.dy)};
            const auto joined = [&](QChar separator) {
                return numbers[0] + separator + numbers[1] + separator + numbers[2] + separator +
                       Trimmed(field);
            };
            switch (format) {
            case 0:
                FUZZ_CHECK(row == joined(u'\t') && dataLine == row);
                break;
            case 1:
                FUZZ_CHECK(CharacterCount(row) == 41 && dataLine == row);
                for (int column = 0; column < 3; ++column) {
                    FUZZ_CHECK(row.mid(column * 10, 10).trimmed() == numbers[column]);
                }
                break;
            case 2:
                FUZZ_CHECK(row == joined(u' ') && dataLine == row);
                break;
            case 3:
                FUZZ_CHECK(row == joined(u',') && dataLine == row);
                break;
            case 4:
                FUZZ_CHECK(row.startsWith(numbers[0] + u',' + numbers[1] + u',' + numbers[2] +
                                          QStringLiteral(",\"")) &&
                           row.endsWith(u'"') && dataLine == previous);
                break;
            default:
                FUZZ_CHECK(row == previous && dataLine == previous);
                break;
            }
        }
    }
}

} // namespace

void FuzzCommentRules(QByteArrayView input) {
    const QString comment = CommentFrom(input);

    const int count = CharacterCount(comment);
    FUZZ_CHECK(count >= 0 && count <= comment.size());
    for (const int n : {0, 1, kCommentLength - 1, kCommentLength, count}) {
        const QString first = FirstCharacters(comment, n);
        FUZZ_CHECK(comment.startsWith(first));
        FUZZ_CHECK(CharacterCount(first) == std::min(n, count));
    }
    const QString field = CommentFieldFrom(comment);
    FUZZ_CHECK(CharacterCount(field) == kCommentLength);
    CheckRows(field);

    // Numbering as the comment box does it: on what the user typed, then on what it gave.
    QString numbered = comment;
    for (int round = 0; round < 3; ++round) {
        const QString next = AutoI(numbered);
        if (next != numbered) {
            FUZZ_CHECK(!numbered.isEmpty() && IsDigit(numbered.back()));
            FUZZ_CHECK(IsRenumbered(numbered, next));
        }
        numbered = next;
    }
    CheckRows(CommentFieldFrom(numbered));
}
