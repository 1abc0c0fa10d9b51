// A main window started as the program starts it, on fake platform services and a private
// settings folder, plus helpers that answer modal dialogs and pop-up menus.
#pragma once

#include "mainwindow/Form1.h"
#include "settings/SettingsModule.h"
#include "settings/frmOPT.h"
#include "support/FakePlatform.h"
#include "support/TempXdg.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace testing_support {

constexpr int kSave = 0;
constexpr int kOk = 1;
constexpr int kCancel = 2;

// How long a test waits for a modal dialog or a pop-up menu to appear.
constexpr int kPollAttempts = 500;
constexpr int kPollIntervalMs = 10;

// Runs `act` on the modal dialog of type T as soon as it is shown.
template <typename T> void whenModal(std::function<void(T*)> act, int attempts = kPollAttempts) {
    QTimer::singleShot(kPollIntervalMs, [act, attempts] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (attempts > 0) {
                whenModal<T>(act, attempts - 1); // not up yet
            }
            return;
        }
        act(dialog);
    });
}

// Presses a button of the options dialog as soon as it is shown.
inline void answerOptionsDialog(int button) {
    whenModal<frmOPT>([button](frmOPT* dialog) { dialog->cmdButton[button]->click(); });
}

// Runs `inspect` while a pop-up menu is open, then dismisses the menu.
inline void whilePopupOpen(std::function<void(QMenu*)> inspect, int attempts = kPollAttempts) {
    QTimer::singleShot(kPollIntervalMs, [inspect, attempts] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            if (attempts > 0) {
                whilePopupOpen(inspect, attempts - 1);
            }
            return;
        }
        inspect(menu);
        menu->close();
    });
}

class Form1Fixture : public ::testing::Test {
protected:
    void SetUp() override {
        fake.system.screen = QGuiApplication::primaryScreen()->availableGeometry();
        settings.IniPath = xdg.iniPath();
        QDir().mkpath(QFileInfo(settings.IniPath).path());
    }

    void writeIni(const QByteArray& text) {
        QFile file(settings.IniPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Makes the window and runs its start-up, answering the options dialog; then shows the
    // window as the program does.
    bool start(int button = kOk) {
        form = std::make_unique<Form1>(settings, fake.services);
        answerOptionsDialog(button);
        if (!form->Form_Load()) {
            return false;
        }
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QCoreApplication::processEvents(); // the placement queued by the first showing
        return true;
    }

    QRect screen() const { return fake.system.screen; }

    TempXdg xdg;
    FakePlatform fake;
    SettingsModule settings;
    std::unique_ptr<Form1> form;
};

} // namespace testing_support
