// The fuzz targets: each takes one input of arbitrary bytes, runs it through the real code
// and checks what must hold for every input. The libFuzzer programs call them, and so do the
// regression tests with the seed corpora and every input that once failed.
#pragma once

#include <QByteArrayView>

// Input: five lines (section, key, value, another section, another key), then the text of a
// settings file. Reads entries, writes one in memory and in a file, reads it back, and loads
// the settings from that file.
void FuzzIniFile(QByteArrayView input);

// Input: the keystroke notation of an access key, as UTF-8.
void FuzzKeyNotation(QByteArrayView input);

// Input: a comment as UTF-8, or as raw UTF-16LE code units (lone surrogates included) after a
// FF FE byte order mark. Runs the comment rules, automatic numbering and every row layout.
void FuzzCommentRules(QByteArrayView input);

// Input: the bytes of an image file. Loads it through the allocation-limited loader and, when
// it loads, prepares it for display at every magnification. Needs a QGuiApplication.
void FuzzImageLoading(QByteArrayView input);
