// Opens the source application dialog (program, access key, waiting mode) for the options
// dialog's "C&hange".
#pragma once

#include "settings/SourceAppSetup.h"

class QWidget;
struct SettingsModule;

// Shows the dialog modally over `parent`, its controls prepared as `setup` says, and returns
// when it has closed; the dialog applies and saves its own choices to `settings`.
void ShowSourceAppDialog(QWidget* parent, SettingsModule& settings,
                         const SourceAppDialogSetup& setup);
