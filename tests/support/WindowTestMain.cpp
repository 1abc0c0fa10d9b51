// Entry point of the window tests: a QApplication on the offscreen platform unless the
// caller chose another one.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns about every window feature it lacks; keep the test output
// readable by dropping exactly those notices.
void quietOffscreenNotices(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    previousHandler = qInstallMessageHandler(quietOffscreenNotices);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
