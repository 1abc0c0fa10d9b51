// The comment of a measurement record: at most ten characters in the comment box, exactly
// ten in the data file, and the automatic numbering that advances a trailing number.
#pragma once

#include <QString>

// The longest comment the box keeps.
inline constexpr int kCommentLength = 10;

// The number of characters of `text` (code points: a character outside the basic plane
// counts once, and is never split).
int CharacterCount(const QString& text);

// The first `count` characters of `text`.
QString FirstCharacters(const QString& text, int count);

// The comment as it goes into the data file: cut or padded with spaces to ten characters.
QString CommentFieldFrom(const QString& text);

// Advances the number at the end of `Comment` by one: "A1" -> "A2", "x199" -> "x200",
// "x09" -> "x010", "P-9" -> "P-8", "No.9" -> "No2". The longest trailing run that reads as
// a number written in its plain form counts; its value is rounded half to even. A comment
// that does not end in a digit, is blank, or whose number leaves -32768..32767 comes back
// unchanged.
QString AutoI(const QString& Comment);
