#include "records/DataFileFormat.h"

#include "records/CommentRules.h"

namespace {

// The comment with leading and trailing blanks removed.
QString trimmedComment(const QString& field) {
    int begin = 0;
    int end = int(field.size());
    while (begin < end && field[begin] == QLatin1Char(' ')) {
        ++begin;
    }
    while (end > begin && field[end - 1] == QLatin1Char(' ')) {
        --end;
    }
    return field.mid(begin, end - begin);
}

// Right-aligned in a field of ten characters; never cut.
QString rightAligned(const QString& text) {
    return QString(std::max(0, 10 - int(text.size())), QLatin1Char(' ')) + text;
}

} // namespace

QString HeaderLine(int DataFormat) {
    switch (DataFormat) {
    case 0:
        return QStringLiteral("Disttance\tdX\tdY\tcomment");
    case 1:
        return QStringLiteral("distance   dX        dY        comment   ");
    case 2:
        return QStringLiteral("Disttance dX dY comment");
    case 3:
        return QStringLiteral("Disttance,dX,dY,comment");
    case 4:
        return QStringLiteral("\"Disttance\",\"dX\",\"dY\",\"comment\"");
    default:
        return {};
    }
}

QString RowLine(int DataFormat, int16_t LastDist, int16_t LastDX, int16_t LastDY,
                const QString& CommentField, QString& DataLine) {
    const QString DistText = QString::number(LastDist);
    const QString DXText = QString::number(LastDX);
    const QString DYText = QString::number(LastDY);
    const auto separated = [&](QChar separator) {
        return DistText + separator + DXText + separator + DYText + separator +
               trimmedComment(CommentField);
    };
    switch (DataFormat) {
    case 0:
        DataLine = separated(QLatin1Char('\t'));
        break;
    case 1:
        DataLine = rightAligned(DistText) + rightAligned(DXText) + rightAligned(DYText) +
                   QLatin1Char(' ') + CommentFieldFrom(CommentField);
        break;
    case 2:
        DataLine = separated(QLatin1Char(' '));
        break;
    case 3:
        DataLine = separated(QLatin1Char(','));
        break;
    case 4:
        return DistText + QLatin1Char(',') + DXText + QLatin1Char(',') + DYText +
               QStringLiteral(",\"") + trimmedComment(CommentField) + QLatin1Char('"');
    default:
        break;
    }
    return DataLine;
}
