#include "settings/SourceAppSetup.h"

#include "settings/SettingsModule.h"

SourceAppDialogSetup PrepareSourceAppDialog(SettingsModule& s, bool sourceAppRunning) {
    SourceAppDialogSetup setup;
    setup.ModifierIndex = s.AccessKeyModifier;
    setup.BrowseEnabled = s.StartupDone != 1 || !sourceAppRunning;
    setup.ProgramPath = s.SourceAppPath;
    s.AccessKeyLetters = LettersOnly(s.AccessKeyNotation).toUpper();
    setup.KeyLetters = s.AccessKeyLetters;
    setup.WaitText = QString::number(s.NoWaitDelay);
    setup.WaitTicked = s.NoWait == 1;
    return setup;
}
