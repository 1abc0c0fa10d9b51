// Keystroke notation of the access key ("+" Shift, "^" Ctrl, "%" Alt for the next character
// only, then letters and digits) turned into the key sequences the X11 key sender types,
// one per key: "%p" -> {"alt+p"}, "^pr" -> {"ctrl+p", "r"}.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Longest notation accepted. The access key is a modifier and one or two letters; anything
// much longer is a damaged settings file, not a key to type.
inline constexpr int kMaxKeyNotationLength = 32;

// Parses `notation` into key sequences such as "ctrl+alt+x" (modifiers always in the order
// ctrl, alt, shift; the key a lower-case letter or a digit).
//
// - "+", "^" and "%" hold Shift, Ctrl and Alt for the next letter or digit only; several in
//   a row all apply to it ("^%x" -> "ctrl+alt+x"); a repeated one counts once.
// - "a"-"z" and "0"-"9" are typed as the key of that character.
// - "A"-"Z" are typed as the character they name, that is their letter key with Shift
//   ("A" -> "shift+a", "^A" -> "ctrl+shift+a"), the way a user types a capital.
//
// Anything else is refused rather than guessed at: empty text, a modifier with no key
// after it, any other character (blanks, punctuation, non-ASCII letters), text longer than
// kMaxKeyNotationLength. Then the result is empty and `error`, when given, says why.
std::optional<QStringList> ParseKeyNotation(const QString& notation, QString* error = nullptr);
