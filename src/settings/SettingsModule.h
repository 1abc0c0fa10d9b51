// The program-wide shared variables: the ten settings kept in lq.ini and the flags by which
// one window tells another what happened. One instance lives for the whole run (made by
// main and handed to every window); tests make their own.
#pragma once

#include <QString>
#include <cstdint>

struct SettingsModule {
    // Where lq.ini lives; every read and write of a settings entry goes to this file.
    QString IniPath;

    // Settings, read from lq.ini at start-up.
    int16_t DataFormat = 0;       // 0 TAB, 1 column, 2 SPACE, 3 COMMA, 4 CSV
    int16_t MagStep = 0;          // 1..4: shown at MagStep/2 of natural size
    int16_t LineWidth = 0;        // 1..4: width of the guide lines
    int16_t CursorShape = 0;      // 0 large cross, 1 free-angle cross, 2 small cross
    int16_t SourceAppEnabled = 0; // 1 work with a source application
    QString DefaultDataPath;      // starting folder of the data file dialog
    QString SourceAppPath;        // the source application program
    QString AccessKeyNotation;    // "+", "^" or "%" followed by lower-case letters
    int16_t NoWait = 0;           // 1: paste after NoWaitDelay instead of waiting
    int16_t NoWaitDelay = 0;      // milliseconds

    // Other shared values.
    QString VersionText;
    int16_t StartupDone = 0;
    int16_t OptionsCancelled = 0;
    int16_t MagChanged = 0;
    int16_t MeasureState = 0;
    int16_t SlopeLocked = 0;
    int16_t ImageSource = 0; // 0 none, 1 file, 2 clipboard
    int32_t ImageWidth = 0;  // natural size of the image, twips
    int32_t ImageHeight = 0;
    int16_t DataFileReady = 0;
    int32_t EditorTaskId = 0;
    int32_t EditorRunning = 0;
    int32_t SourceAppTaskId = 0;
    QString SourceAppName;         // file-name part of SourceAppPath
    QString AccessKeyText;         // "<Alt>+P" and the like
    int16_t AccessKeyModifier = 0; // 0 Shift, 1 Ctrl, 2 Alt
    QString AccessKeyLetters;      // letters of the access key, upper case
};

// The lq.ini of this user: $XDG_CONFIG_HOME/linealis/lq.ini (~/.config/linealis/lq.ini).
QString DefaultIniPath();

// Reads an entry: its value trimmed (at most 49 bytes of it), or "lq.ini" when the file,
// the section or the key is absent.
QString ReadIniString(const QString& iniPath, const QString& Section, const QString& Key);

// Reads an entry as a number rounded half to even; 0 when absent or not a number. The number is
// the longest leading part of the value of the form [sign] digits [. fraction] (no exponent); a
// number that rounds outside -32768..32767 is of no use to any setting and reads as 0 as well.
int16_t ReadIniInteger(const QString& iniPath, const QString& Section, const QString& Key);

// Writes one entry, creating file, section and key as needed and leaving every other byte
// of the file as it was. The file is replaced atomically. False when it could not be done.
bool WriteIniString(const QString& iniPath, const QString& Section, const QString& Key,
                    const QString& Value);

// The value text of a number as written to lq.ini: " 2", " 0", "-1".
QString IniNumberText(int value);

// Reads the ten settings in their fixed order, then puts sound values in place of absent or
// out-of-range ones (see MendSettings).
void LoadSettings(SettingsModule& s);

// Replaces settings outside their ranges with sound values so that the program can start
// and work with a missing, damaged or hand-edited lq.ini.
void MendSettings(SettingsModule& s);

// Derives SourceAppName, AccessKeyText and AccessKeyModifier from SourceAppPath and
// AccessKeyNotation.
void UpdateSourceAppInfo(SettingsModule& s);

// The characters of `Text` that are lower-case letters a to z, in their order.
QString LettersOnly(const QString& Text);
