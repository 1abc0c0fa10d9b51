// The five layouts of the data file: its header line and one row per saved measurement.
#pragma once

#include <QString>
#include <cstdint>

// The header line for `DataFormat` 0 to 4 (without its line end); empty for any other value.
QString HeaderLine(int DataFormat);

// The row for one record in `DataFormat` (without its line end). `CommentField` is the
// ten-character comment. Layouts 0 to 3 go through `DataLine`, which keeps its value between
// saves; for a format outside 0 to 4 the row is whatever `DataLine` held.
QString RowLine(int DataFormat, int16_t LastDist, int16_t LastDX, int16_t LastDY,
                const QString& CommentField, QString& DataLine);
