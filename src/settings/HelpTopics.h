// The topic numbers of context help: F1 opens the help page of the focused control, or of its
// window when the control has none.
#pragma once

namespace HelpTopics {

inline constexpr int OptionsDialog = 6;
inline constexpr int SourceAppOptions = 12; // the "Source App." frame of the options dialog
inline constexpr int SourceAppDialog = 13;
inline constexpr int MainWindow = 19;
inline constexpr int MainMenus = 21; // the commands of the menus and the pop-up menu
inline constexpr int SaveButton = 23;
inline constexpr int AutoIncrement = 24;

} // namespace HelpTopics
