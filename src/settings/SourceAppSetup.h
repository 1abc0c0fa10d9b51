// What the source application dialog shows when the options dialog's "C&hange" opens it,
// worked out from the shared settings.
#pragma once

#include <QString>
#include <cstdint>

struct SettingsModule;

struct SourceAppDialogSetup {
    int16_t ModifierIndex = 0; // the optShitKey button to select: 0 Shift, 1 Ctrl, 2 Alt
    bool BrowseEnabled = true; // cmdChenge: the program can be chosen only at start-up
    QString ProgramPath;       // Label2
    QString KeyLetters;        // txtKey: the letters of the access key, upper case
    QString WaitText;          // txtWait: the delay in decimal digits, without blanks
    bool WaitTicked = false;   // chkWait; txtWait, lblWait1 and lblwait2 are enabled with it
    bool operator==(const SourceAppDialogSetup&) const = default;
};

// The setup for the current settings. Also sets the shared AccessKeyLetters to the letters
// put into the key box, which is where that box starts from. After start-up the program
// can be chosen again only when the source application is not running (it could not be
// started, or has been closed), so that a wrong path can be mended.
SourceAppDialogSetup PrepareSourceAppDialog(SettingsModule& s, bool sourceAppRunning = true);
