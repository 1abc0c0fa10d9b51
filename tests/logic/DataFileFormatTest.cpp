// The data file layouts, byte for byte.
#include "records/DataFileFormat.h"

#include "records/CommentRules.h"

#include <gtest/gtest.h>

namespace {

TEST(DataFileFormat, HeaderLinesAsWritten) {
    EXPECT_EQ(HeaderLine(0), "Disttance\tdX\tdY\tcomment");
    EXPECT_EQ(HeaderLine(1), "distance   dX        dY        comment   ");
    EXPECT_EQ(HeaderLine(1).size(), 41);
    EXPECT_EQ(HeaderLine(2), "Disttance dX dY comment");
    EXPECT_EQ(HeaderLine(3), "Disttance,dX,dY,comment");
    EXPECT_EQ(HeaderLine(4), "\"Disttance\",\"dX\",\"dY\",\"comment\"");
    EXPECT_EQ(HeaderLine(5), "");
    EXPECT_EQ(HeaderLine(-1), "");
}

TEST(DataFileFormat, RowsOfEveryLayout) {
    const struct {
        int format;
        int16_t dist, dx, dy;
        const char* comment;
        const char* row;
    } cases[] = {
        {0, 125, 100, 75, "A1", "125\t100\t75\tA1"},
        {1, 125, 100, 75, "A1", "       125       100        75 A1        "},
        {2, 125, 100, 75, "A1", "125 100 75 A1"},
        {3, 125, 100, 75, "A1", "125,100,75,A1"},
        {4, 125, 100, 75, "A1", "125,100,75,\"A1\""},
        // A leading blank is kept only by the column layout.
        {0, 1, 2, 3, " x", "1\t2\t3\tx"},
        {1, 1, 2, 3, " x", "         1         2         3  x        "},
        {4, 1, 2, 3, " x", "1,2,3,\"x\""},
        // An empty comment.
        {0, 0, 0, 0, "", "0\t0\t0\t"},
        {1, 0, 0, 0, "", "         0         0         0           "},
        {2, 0, 0, 0, "", "0 0 0 "},
        {3, 0, 0, 0, "", "0,0,0,"},
        {4, 0, 0, 0, "", "0,0,0,\"\""},
        // Ten characters written in full; quotes and commas unchanged.
        {1, 32767, 32767, 1, "abcdefghij", "     32767     32767         1 abcdefghij"},
        {3, 5, 4, 3, "a,b", "5,4,3,a,b"},
        {4, 5, 4, 3, "say \"hi\"", "5,4,3,\"say \"hi\"\""},
        // Widths count characters, not bytes.
        {1, 10, 6, 8, "測定１", "        10         6         8 測定１       "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.format << " " << c.comment);
        QString dataLine;
        const QString row = RowLine(c.format, c.dist, c.dx, c.dy,
                                    CommentFieldFrom(QString::fromUtf8(c.comment)), dataLine);
        EXPECT_EQ(row, QString::fromUtf8(c.row));
    }
}

TEST(DataFileFormat, DataLineIsKeptBetweenSavesAndReusedForAnUnknownLayout) {
    QString dataLine;
    RowLine(2, 5, 3, 4, CommentFieldFrom("p"), dataLine);
    EXPECT_EQ(dataLine, "5 3 4 p");
    RowLine(4, 9, 9, 9, CommentFieldFrom("q"), dataLine); // CSV does not touch it
    EXPECT_EQ(dataLine, "5 3 4 p");
    EXPECT_EQ(RowLine(7, 1, 1, 1, CommentFieldFrom("r"), dataLine), "5 3 4 p");
}

} // namespace
