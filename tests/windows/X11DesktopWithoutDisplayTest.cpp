// The X11 desktop services where no X server can be reached: every call fails with a reason
// and nothing crashes.
#include "platform/X11Desktop.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Sets DISPLAY (or removes it) for the lifetime of the object.
class DisplayVariable {
public:
    explicit DisplayVariable(const std::optional<QByteArray>& value)
        : saved_(qgetenv("DISPLAY"))
        , wasSet_(qEnvironmentVariableIsSet("DISPLAY")) {
        if (value) {
            qputenv("DISPLAY", *value);
        } else {
            qunsetenv("DISPLAY");
        }
    }
    ~DisplayVariable() {
        if (wasSet_) {
            qputenv("DISPLAY", saved_);
        } else {
            qunsetenv("DISPLAY");
        }
    }
    DisplayVariable(const DisplayVariable&) = delete;
    DisplayVariable& operator=(const DisplayVariable&) = delete;

private:
    QByteArray saved_;
    bool wasSet_;
};

TEST(X11DesktopWithoutDisplay, EveryServiceFailsWithAReason) {
    const std::optional<QByteArray> displays[] = {std::nullopt, QByteArray(""),
                                                  QByteArray(":4093")};
    for (const auto& display : displays) {
        SCOPED_TRACE(display ? display->toStdString() : "unset");
        DisplayVariable variable(display);
        X11Desktop desktop;
        EXPECT_FALSE(desktop.IsAvailable());
        EXPECT_TRUE(desktop.UnavailableReason().contains(QStringLiteral("X11")))
            << desktop.UnavailableReason().toStdString();

        QString error;
        EXPECT_FALSE(desktop.ActivateTask(1, &error));
        EXPECT_EQ(error, desktop.UnavailableReason());
        error.clear();
        EXPECT_FALSE(desktop.SendKeys(QStringLiteral("%p"), true, &error));
        EXPECT_EQ(error, desktop.UnavailableReason());
    }
}

TEST(X11DesktopWithoutDisplay, OwnWindowIsStillBroughtForwardByTheToolkit) {
    // On a platform other than xcb the program's windows are not X11 windows; raising and
    // activating them is the toolkit's part alone.
    DisplayVariable variable(std::nullopt);
    X11Desktop desktop;
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QString error;
    EXPECT_TRUE(desktop.FocusOwnWindow(&window, &error)) << error.toStdString();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace
