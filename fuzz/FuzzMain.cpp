// The libFuzzer entry points of one fuzz target; LINEALIS_FUZZ_TARGET names its function.
#include "FuzzCheck.h"
#include "FuzzTargets.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

namespace {

// Decoders report every broken input, and hostile inputs are all a fuzzer makes: writing each
// report would cost more than the decoding.
void DropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("LINEALIS_FUZZ_MESSAGES")) {
        qInstallMessageHandler(DropMessages);
    }
#ifdef LINEALIS_FUZZ_WITH_GUI
    // Image formats and painting as in the program: a GUI application on a platform that
    // needs no display. It lives until the process ends.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* application = new QGuiApplication(*argc, *argv);
    (void)application;
#else
    (void)argc;
    (void)argv;
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LINEALIS_FUZZ_TARGET(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
