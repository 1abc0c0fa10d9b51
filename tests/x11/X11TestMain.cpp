// Entry point of the X11 tests: a QApplication on the xcb platform, in the X server that
// run-in-xvfb.sh started. Without a display the tests are skipped (status 77).
#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("SKIPPED: the X11 tests need an X server (run them through "
                    "run-in-xvfb.sh)\n");
        return 77;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
