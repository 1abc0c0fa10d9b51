#include "mainwindow/Form1HelpTopics.h"

#include "mainwindow/Form1.h"
#include "settings/ContextHelp.h"
#include "settings/HelpTopics.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

void AssignHelpTopics(Form1& form) {
    ContextHelp::SetTopic(&form, HelpTopics::MainWindow);
    ContextHelp::SetTopic(form.Command1, HelpTopics::SaveButton);
    ContextHelp::SetTopic(form.chkAI, HelpTopics::AutoIncrement);
    ContextHelp::SetTopic(form.RightClick, HelpTopics::MainMenus);
    // The menus "&File", "&Edit" and "&About" themselves, the separators, "Exit", "Edit &data
    // file" and the two save-and-paste items have no topic of their own: they show the
    // window's.
    for (QAction* item :
         {form.mnuOpen, form.Reroad,    form.Topen,      form.Undo,       form.mnuRedoraw,
          form.paste,   form.mnuFromSA, form.mnuDOPT,    form.mnuRsource, form.rsave,
          form.Rpaste,  form.rreroad,   form.Ropen,      form.mnuRreset,  form.mnuRoption,
          form.mnuHelp, form.mnuInfo,   form.mnuaboutLQ, form.mnuDist,    form.mnudX,
          form.mnudY}) {
        ContextHelp::SetTopic(item, HelpTopics::MainMenus);
    }
}
