// Settings dialogs opened on their own, on fake platform services and a private settings
// folder, with the settings as the program has them after start-up.
#pragma once

#include "settings/SettingsModule.h"
#include "support/FakePlatform.h"
#include "support/Files.h"
#include "support/TempXdg.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace testing_support {

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fake.system.screen = QGuiApplication::primaryScreen()->availableGeometry();
        settings.IniPath = xdg.iniPath();
        LoadSettings(settings); // no file: the sound defaults
        UpdateSourceAppInfo(settings);
        settings.VersionText = QStringLiteral("ver.2.13b");
        settings.StartupDone = 1;
    }

    // The settings file as bytes; empty when there is none.
    QByteArray ini() const { return ReadBytes(settings.IniPath); }

    TempXdg xdg;
    FakePlatform fake;
    SettingsModule settings;
};

} // namespace testing_support
