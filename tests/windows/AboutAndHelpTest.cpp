// The about dialog, the help pages and F1: the contents from the About menu, the page of the
// focused control, highlighted menu item or window, and a clear message when no pages exist.
#include "settings/ContextHelp.h"
#include "settings/HelpWindow.h"
#include "settings/aboutDialog.h"
#include "settings/frmOPT.h"
#include "settings/frmPath.h"
#include "support/Files.h"
#include "support/Form1Fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

// The page a help window shows: "topic-6.html", "index.html".
QString pageOf(const HelpWindow* window) {
    return window == nullptr ? QString() : window->Page().fileName();
}

// The help window that belongs to `owner`, if there is one.
HelpWindow* helpOf(QWidget* owner) {
    return owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

class AboutAndHelp : public Form1Fixture {
protected:
    bool startWithHelp() {
        if (!start()) {
            return false;
        }
        form->Help->Folders = {QStringLiteral(LINEALIS_HELP_BUILD_DIR)};
        return true;
    }

    // Presses F1 on `widget` and tells which page opened in the help window of `owner`.
    static QString f1(QWidget* widget, QWidget* owner) {
        QTest::keyClick(widget, Qt::Key_F1);
        HelpWindow* window = helpOf(owner);
        const QString page = pageOf(window);
        if (window != nullptr) {
            EXPECT_TRUE(window->isVisible());
            window->close();
        }
        return page;
    }
};

TEST_F(AboutAndHelp, AboutShowsTheVersionAndClosesWithEnterOrEsc) {
    ASSERT_TRUE(start());
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QString title;
        QString version;
        bool closed = false;
        whenModal<aboutDialog>([&](aboutDialog* d) {
            title = d->windowTitle();
            version = d->txtVersion->text();
            EXPECT_EQ(d->Label1->text(), "Linealis");
            QTest::keyClick(d, key);
            closed = !d->isVisible();
        });
        form->mnuaboutLQ->trigger();
        EXPECT_EQ(title, "About Linealis");
        EXPECT_EQ(version, "ver.2.13b");
        EXPECT_TRUE(closed);
    }
}

TEST_F(AboutAndHelp, HelpOpensTheContentsInTheProgramsOwnWindow) {
    ASSERT_TRUE(startWithHelp());
    form->mnuHelp->trigger();
    HelpWindow* window = helpOf(form.get());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Linealis Help");
    EXPECT_EQ(window->Page(),
              QUrl::fromLocalFile(QStringLiteral(LINEALIS_HELP_BUILD_DIR "/index.html")));
    EXPECT_FALSE(window->Browser->toPlainText().isEmpty());
    EXPECT_TRUE(window->Browser->toPlainText().contains("Contents"));

    // A link leads to its page; "Contents" and "Back" lead back; the same window serves the
    // next request.
    const auto follow = [window](const char* href) {
        window->Browser->setSource(window->Page().resolved(QUrl(QString::fromLatin1(href))));
    };
    follow("topic-6.html");
    EXPECT_EQ(pageOf(window), "topic-6.html");
    window->BackButton->click();
    EXPECT_EQ(pageOf(window), "index.html");
    follow("datafile.html");
    EXPECT_TRUE(window->Browser->toPlainText().contains("Column format"));
    window->ContentsButton->click();
    EXPECT_EQ(pageOf(window), "index.html");
    form->mnuHelp->trigger();
    EXPECT_EQ(form->findChildren<HelpWindow*>().size(), 1);
    EXPECT_TRUE(fake.messages.shown.isEmpty());
}

TEST_F(AboutAndHelp, EveryLinkOfEveryPageLeadsToAPage) {
    const QDir folder(QStringLiteral(LINEALIS_HELP_BUILD_DIR));
    const QStringList pages = folder.entryList({"*.html"}, QDir::Files);
    ASSERT_FALSE(pages.isEmpty());
    for (int topic : {6, 12, 13, 19, 21, 23, 24}) {
        EXPECT_TRUE(pages.contains(QStringLiteral("topic-%1.html").arg(topic))) << topic;
    }
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
    for (const QString& page : pages) {
        const QString text = QString::fromUtf8(ReadBytes(folder.filePath(page)));
        for (auto match = link.globalMatch(text); match.hasNext();) {
            const QString target = match.next().captured(1);
            EXPECT_TRUE(QFileInfo::exists(folder.filePath(target)))
                << page.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST_F(AboutAndHelp, WithoutHelpPagesTheUserIsToldInsteadOfAnEmptyWindow) {
    ASSERT_TRUE(start());
    QTemporaryDir empty;
    form->Help->Folders = {empty.path(), empty.path() + "/missing"};
    form->mnuHelp->trigger();
    QTest::keyClick(form.get(), Qt::Key_F1);
    EXPECT_EQ(helpOf(form.get()), nullptr);
    ASSERT_EQ(fake.messages.shown.size(), 2);
    EXPECT_EQ(fake.messages.shown[0].text, ContextHelp::MissingPagesMessage());
    EXPECT_EQ(fake.messages.shown[0].title, "Linealis");
}

TEST_F(AboutAndHelp, F1InTheMainWindowOpensTheTopicOfTheFocusedControl) {
    ASSERT_TRUE(startWithHelp());
    form->SetSaveGroupEnabled(true); // a measurement waits to be saved
    const struct {
        QWidget* widget;
        const char* page;
    } cases[] = {
        {form.get(), "topic-19.html"},     {form->Text1, "topic-19.html"},
        {form->Picture2, "topic-19.html"}, {form->Command1, "topic-23.html"},
        {form->chkAI, "topic-24.html"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f1(c.widget, form.get()), c.page) << c.widget->objectName().toStdString();
    }
}

TEST_F(AboutAndHelp, F1InAnOpenMenuOpensTheTopicOfTheHighlightedItem) {
    ASSERT_TRUE(startWithHelp());
    const struct {
        QMenu* menu;
        QAction* item; // none: the menu is open without a highlighted item
        const char* page;
    } cases[] = {
        {form->File, form->mnuOpen, "topic-21.html"},
        {form->File, form->End, "topic-19.html"},
        {form->File, nullptr, "topic-19.html"},
        {form->Edit, form->mnuDOPT, "topic-21.html"},
        {form->about, form->mnuHelp, "topic-21.html"},
        {form->RightClick, form->Ropen, "topic-21.html"},
        {form->RightClick, nullptr, "topic-21.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item != nullptr ? c.item->objectName().toStdString()
                                       : c.menu->objectName().toStdString());
        c.menu->popup(form->mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(c.menu));
        if (c.item != nullptr) {
            c.menu->setActiveAction(c.item);
        }
        EXPECT_EQ(f1(c.menu, form.get()), c.page);
        EXPECT_FALSE(c.menu->isVisible()); // the menu closes
    }
}

TEST_F(AboutAndHelp, TopicsOfTheMenuItemsFollowTheTable) {
    ASSERT_TRUE(start());
    form->menuBar()->setActiveAction(form->mnuDist);
    EXPECT_EQ(ContextHelp::TopicFor(form->menuBar()), 21);
    form->menuBar()->setActiveAction(form->File->menuAction());
    EXPECT_EQ(ContextHelp::TopicFor(form->menuBar()), 19);
    form->menuBar()->setActiveAction(nullptr);
    // The items that use the window's topic.
    for (QAction* item : {form->mnuSnP, form->End, form->mnuNOTEPAD, form->mnurSnP, form->bar}) {
        EXPECT_FALSE(item->property("linealisHelpTopic").isValid())
            << item->objectName().toStdString();
    }
    for (QAction* item :
         {form->mnuOpen, form->Reroad, form->Topen, form->Undo, form->paste, form->mnuFromSA,
          form->mnuRsource, form->rsave, form->Rpaste, form->rreroad, form->mnuRreset,
          form->mnuRoption, form->mnuInfo, form->mnuaboutLQ, form->mnudX, form->mnudY}) {
        EXPECT_EQ(item->property("linealisHelpTopic").toInt(), 21)
            << item->objectName().toStdString();
    }
}

TEST_F(AboutAndHelp, F1InTheOptionsDialogOpensItsTopicsBesideTheDialog) {
    form = std::make_unique<Form1>(settings, fake.services);
    form->Help->Folders = {QStringLiteral(LINEALIS_HELP_BUILD_DIR)};
    QStringList pages;
    bool besideTheDialog = false;
    whenModal<frmOPT>([&](frmOPT* d) {
        // Start-up mode: the check box and "C&hange" can take the focus.
        d->chkSource->click();
        for (QWidget* w : std::initializer_list<QWidget*>{
                 d, d->hsbMagRate, d->cobFormat, d->chkSource, d->cmdSource, d->cmdButton[kOk]}) {
            QTest::keyClick(w, Qt::Key_F1);
            HelpWindow* window = helpOf(d);
            pages << pageOf(window);
            // The help window belongs to the dialog, so it can be used while the dialog
            // holds the program.
            besideTheDialog = window != nullptr && window->parentWidget() == d;
        }
        d->cmdButton[kOk]->click();
    });
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(pages, QStringList({"topic-6.html", "topic-6.html", "topic-6.html", "topic-12.html",
                                  "topic-12.html", "topic-6.html"}));
    EXPECT_TRUE(besideTheDialog);
}

TEST_F(AboutAndHelp, F1WhereThereIsNoTopicOpensTheContents) {
    ASSERT_TRUE(startWithHelp());
    QString aboutPage;
    whenModal<aboutDialog>([&](aboutDialog* d) {
        QTest::keyClick(d->Command1, Qt::Key_F1);
        aboutPage = pageOf(helpOf(d));
        d->Command1->click();
    });
    form->mnuaboutLQ->trigger();
    EXPECT_EQ(aboutPage, "index.html");

    // The path dialog, opened from the options dialog, does not borrow the options' topic.
    QString pathPage;
    whenModal<frmPath>([&](frmPath* d) {
        QTest::keyClick(d->Dir1, Qt::Key_F1);
        pathPage = pageOf(helpOf(d));
        d->cmdPath[kCancel]->click();
    });
    whenModal<frmOPT>([&](frmOPT* d) {
        d->cmdPath->click();
        d->cmdButton[kCancel]->click();
    });
    form->mnuDOPT->trigger();
    EXPECT_EQ(pathPage, "index.html");

    // F1 in the help window stays in that window.
    form->mnuHelp->trigger();
    HelpWindow* window = helpOf(form.get());
    ASSERT_NE(window, nullptr);
    window->Browser->setSource(QUrl(QStringLiteral("topic-6.html")));
    QTest::keyClick(window->Browser, Qt::Key_F1);
    EXPECT_EQ(form->findChildren<HelpWindow*>().size(), 1);
    EXPECT_EQ(pageOf(window), "index.html");
}

} // namespace
