// Points XDG_CONFIG_HOME and XDG_STATE_HOME at a fresh temporary folder for one test and
// puts the old values back afterwards.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

class TempXdg {
public:
    TempXdg()
        : oldConfig_(qgetenv("XDG_CONFIG_HOME"))
        , oldState_(qgetenv("XDG_STATE_HOME"))
        , hadConfig_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        , hadState_(qEnvironmentVariableIsSet("XDG_STATE_HOME")) {
        QDir root(dir_.path());
        root.mkpath("config");
        root.mkpath("state");
        qputenv("XDG_CONFIG_HOME", root.filePath("config").toLocal8Bit());
        qputenv("XDG_STATE_HOME", root.filePath("state").toLocal8Bit());
    }
    ~TempXdg() {
        restore("XDG_CONFIG_HOME", hadConfig_, oldConfig_);
        restore("XDG_STATE_HOME", hadState_, oldState_);
    }
    TempXdg(const TempXdg&) = delete;
    TempXdg& operator=(const TempXdg&) = delete;

    QString root() const { return dir_.path(); }
    QString configHome() const { return dir_.path() + "/config"; }
    QString stateHome() const { return dir_.path() + "/state"; }
    QString iniPath() const { return configHome() + "/linealis/lq.ini"; }

private:
    static void restore(const char* name, bool had, const QByteArray& value) {
        if (had) {
            qputenv(name, value);
        } else {
            qunsetenv(name);
        }
    }

    QTemporaryDir dir_;
    QByteArray oldConfig_;
    QByteArray oldState_;
    bool hadConfig_;
    bool hadState_;
};
