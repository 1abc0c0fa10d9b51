// Keystroke notation: what each accepted notation types, and what is refused.
#include "platform/KeyNotation.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyNotation, AcceptedNotationsGiveOneSequencePerKey) {
    const struct {
        const char* notation;
        QStringList expected;
    } cases[] = {
        // The forms the source application dialog stores: a modifier, one or two letters.
        {"%p", {"alt+p"}},
        {"^pr", {"ctrl+p", "r"}},
        {"+ab", {"shift+a", "b"}},
        // A modifier holds for the next key only, and again where it is repeated.
        {"^a^b", {"ctrl+a", "ctrl+b"}},
        {"a%b", {"a", "alt+b"}},
        // Modifiers in a row add up, in a fixed order, each at most once.
        {"^%x", {"ctrl+alt+x"}},
        {"%^x", {"ctrl+alt+x"}},
        {"+%^z", {"ctrl+alt+shift+z"}},
        {"^^p", {"ctrl+p"}},
        // Plain letters and digits, the ends of both ranges.
        {"a", {"a"}},
        {"z", {"z"}},
        {"09", {"0", "9"}},
        {"^1", {"ctrl+1"}},
        // A capital is typed as that character: its letter key with Shift.
        {"P", {"shift+p"}},
        {"^A", {"ctrl+shift+a"}},
        {"+Z", {"shift+z"}},
        {"aZ", {"a", "shift+z"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation);
        QString error = QStringLiteral("untouched");
        const auto keys = ParseKeyNotation(QString::fromLatin1(c.notation), &error);
        ASSERT_TRUE(keys.has_value()) << error.toStdString();
        EXPECT_EQ(*keys, c.expected);
    }
}

TEST(KeyNotation, RefusedNotationsSayWhy) {
    const struct {
        QString notation;
        const char* errorMentions;
    } cases[] = {
        {QString(), "empty"},
        {QStringLiteral("%"), "ends with a modifier"},
        {QStringLiteral("^p%"), "ends with a modifier"},
        {QStringLiteral("+^"), "ends with a modifier"},
        {QStringLiteral("^ p"), "position 2"},
        {QStringLiteral("%p "), "position 3"},
        {QStringLiteral("~"), "\"~\""},
        {QStringLiteral("{ENTER}"), "\"{\""},
        {QStringLiteral("%-"), "\"-\""},
        {QStringLiteral("é"), "\"é\""},
        {QStringLiteral("ａ"), "position 1"}, // full-width a
        {QStringLiteral("a\tb"), "U+0009"},
        {QString(QChar(u'\0')), "U+0000"},
        // A "%3" inside the notation must not be mistaken for a text marker.
        {QStringLiteral("%3 x"), "\"%3 x\" has U+0020 at position 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation.toStdString());
        QString error;
        EXPECT_FALSE(ParseKeyNotation(c.notation, &error).has_value());
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.errorMentions))) << error.toStdString();
    }
}

TEST(KeyNotation, LengthIsBounded) {
    const QString longest(kMaxKeyNotationLength, QLatin1Char('a'));
    const auto keys = ParseKeyNotation(longest);
    ASSERT_TRUE(keys.has_value());
    EXPECT_EQ(keys->size(), kMaxKeyNotationLength);

    QString error;
    EXPECT_FALSE(ParseKeyNotation(longest + QLatin1Char('a'), &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("longer than"))) << error.toStdString();
    EXPECT_FALSE(ParseKeyNotation(QString(100000, QLatin1Char('%'))).has_value());
}

} // namespace
