#include "acquisition/SourceAppDialog.h"

#include <QtGlobal>

// The source application dialog is not part of the program yet: until it is, "C&hange"
// prepares its setup and its display texts and opens nothing.
void ShowSourceAppDialog(QWidget* parent, SettingsModule& settings,
                         const SourceAppDialogSetup& setup) {
    Q_UNUSED(parent);
    Q_UNUSED(settings);
    Q_UNUSED(setup);
}
