// The context-help topics of the main window, its controls and its menu items.
#pragma once

class Form1;

void AssignHelpTopics(Form1& form);
