// The settings dialogs and the help window as they look: every control shows its whole text
// inside its frame with the usual, a large and a Japanese font, and screenshots of each are
// written to <build>/screenshots for a person to look at.
#include "settings/ContextHelp.h"
#include "settings/HelpWindow.h"
#include "settings/aboutDialog.h"
#include "settings/frmOPT.h"
#include "settings/frmPath.h"
#include "support/DialogFixture.h"
#include "support/WaitFor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace testing_support;

struct FontCase {
    const char* name;
    const char* family; // empty: the application's usual font
    double pointSize;   // 0: the usual size
};

const FontCase kFonts[] = {
    {"usual", "", 0},
    {"large", "", 14},
    {"japanese", "IPAGothic", 12},
};

class SettingsDialogsLook : public DialogFixture, public ::testing::WithParamInterface<FontCase> {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        usualFont_ = QApplication::font();
        QFont font = usualFont_;
        if (*GetParam().family != '\0') {
            font.setFamily(QString::fromLatin1(GetParam().family));
        }
        if (GetParam().pointSize > 0) {
            font.setPointSizeF(GetParam().pointSize);
        }
        QApplication::setFont(font);
        settings.SourceAppPath = QStringLiteral("/usr/local/bin/capture-tool");
        settings.AccessKeyNotation = QStringLiteral("^pr");
        UpdateSourceAppInfo(settings);
        settings.DefaultDataPath = QDir::tempPath();
    }
    void TearDown() override { QApplication::setFont(usualFont_); }

    // Every visible control shows its whole text: as large as its size hint asks (labels and
    // buttons, whose texts must not be cut) and inside its parent.
    static void expectNothingClipped(QWidget* window) {
        QCoreApplication::processEvents(); // pending layout requests
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(window) || child->isWindow()) {
                continue;
            }
            const bool holdsText = qobject_cast<QAbstractButton*>(child) != nullptr ||
                                   qobject_cast<QGroupBox*>(child) != nullptr ||
                                   qobject_cast<QComboBox*>(child) != nullptr ||
                                   (qobject_cast<QLabel*>(child) != nullptr &&
                                    child->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored);
            if (holdsText) {
                const QSize hint = child->sizeHint();
                EXPECT_GE(child->width(), hint.width()) << child->objectName().toStdString();
                EXPECT_GE(child->height(), hint.height()) << child->objectName().toStdString();
            }
            const QWidget* parent = child->parentWidget();
            EXPECT_TRUE(parent->rect().contains(child->geometry()))
                << child->objectName().toStdString() << " leaves "
                << parent->objectName().toStdString();
        }
    }

    static void save(QWidget* window, const QString& name) {
        const QString folder = QStringLiteral(LINEALIS_SCREENSHOT_DIR);
        QDir().mkpath(folder);
        const QString suffix = QString::fromLatin1(GetParam().name) == QLatin1String("usual")
                                   ? QString()
                                   : QLatin1Char('-') + QString::fromLatin1(GetParam().name);
        EXPECT_TRUE(window->grab().save(folder + QLatin1Char('/') + name + suffix +
                                        QStringLiteral(".png")));
    }

    QFont usualFont_;
};

TEST_P(SettingsDialogsLook, OptionsDialogInBothModes) {
    settings.StartupDone = 0;
    frmOPT startup(settings, fake.services);
    startup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&startup));
    expectNothingClipped(&startup);
    save(&startup, QStringLiteral("options"));

    settings.StartupDone = 1;
    settings.DataFileReady = 1;
    frmOPT locked(settings, fake.services);
    locked.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&locked));
    expectNothingClipped(&locked);
    save(&locked, QStringLiteral("options-locked"));
}

TEST_P(SettingsDialogsLook, PathDialog) {
    frmPath dialog(settings, fake.services, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    // The open folder comes into view once the tree has read and sorted its parent folders,
    // and stays there.
    const auto openFolderInView = [&] {
        const QRect row = dialog.Dir1->visualRect(dialog.Dir1->currentIndex());
        return !row.isEmpty() && dialog.Dir1->viewport()->rect().contains(row);
    };
    EXPECT_TRUE(waitFor(openFolderInView, 5000));
    QTest::qWait(500);
    EXPECT_TRUE(openFolderInView());
    expectNothingClipped(&dialog);
    save(&dialog, QStringLiteral("path"));
}

TEST_P(SettingsDialogsLook, AboutDialog) {
    aboutDialog dialog(settings, fake.system);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    expectNothingClipped(&dialog);
    save(&dialog, QStringLiteral("about"));
}

TEST_P(SettingsDialogsLook, HelpWindowWithAPage) {
    QWidget owner;
    ContextHelp help(fake.messages);
    help.Folders = {QStringLiteral(LINEALIS_HELP_BUILD_DIR)};
    HelpWindow* window = help.ShowTopic(&owner, 6);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    save(window, QStringLiteral("help"));
    window->close();
}

INSTANTIATE_TEST_SUITE_P(Fonts, SettingsDialogsLook, ::testing::ValuesIn(kFonts),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
