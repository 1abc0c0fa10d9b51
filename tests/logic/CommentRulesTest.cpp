// Comment rules: the ten-character field and automatic numbering.
#include "records/CommentRules.h"

#include <gtest/gtest.h>

namespace {

TEST(AutoI, AdvancesTheTrailingNumberAsWorkedOut) {
    const struct {
        const char* comment;
        const char* result;
    } cases[] = {
        {"A1", "A2"},     {"x199", "x200"},   {"99", "100"},  {"x09", "x010"}, {"x109", "x1010"},
        {"x100", "x101"}, {"P-9", "P-8"},     {"P-1", "P0"},  {"No.9", "No2"}, {"1.25", "2"},
        {"abc", "abc"},   {"", ""},           {"   ", "   "}, {"0", "1"},      {"a-0", "a-1"},
        {"x.5", "x1"},    {"x1.5", "x3"},     {"x2.5", "x3"}, {"v0.5", "v01"}, {"a 7", "a 8"},
        {"７", "７"},     {"測定3", "測定4"}, {"-5", "-4"},   {"a--1", "a-0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comment);
        EXPECT_EQ(AutoI(QString::fromUtf8(c.comment)), QString::fromUtf8(c.result));
    }
}

TEST(AutoI, GivesUpBeyondSixteenBits) {
    EXPECT_EQ(AutoI("n32766"), "n32767");
    EXPECT_EQ(AutoI("n32767"), "n32767");
    EXPECT_EQ(AutoI("n99999"), "n99999");
    // 32768 is read before the minus sign is: the numbering gives up there already.
    EXPECT_EQ(AutoI("n-32768"), "n-32768");
    EXPECT_EQ(AutoI("n-32767"), "n-32766");
    EXPECT_EQ(AutoI("n-32769"), "n-32769");
    EXPECT_EQ(AutoI("a123456789"), "a123456789");
}

TEST(CommentField, IsExactlyTenCharactersCountedAsCharacters) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"", "          "},
        {"A1", "A1        "},
        {"abcdefghij", "abcdefghij"},
        {"abcdefghijk", "abcdefghij"},
        {"日本語のコメントです", "日本語のコメントです"},
        {"日本語のコメントですね", "日本語のコメントです"},
        {"😀😀😀😀😀😀😀😀😀😀😀", "😀😀😀😀😀😀😀😀😀😀"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString field = CommentFieldFrom(QString::fromUtf8(c.text));
        EXPECT_EQ(field, QString::fromUtf8(c.field));
        EXPECT_EQ(CharacterCount(field), 10);
    }
}

} // namespace
