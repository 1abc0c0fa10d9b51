// keyprobe: a stand-in for another program's window in the tests. It shows a window titled
// "keyprobe" that takes the keyboard focus and writes one line per key it receives, such as
// "Alt+P" or "R", to the file named by its first argument.
//
//   keyprobe OUTPUT [--exit-now] [--exit-after MS] [--show-after MS] [--delay-ms MS]
//                   [--report-fds]
//
// OUTPUT is created (emptied) at start. --exit-now ends at once with status 0, before any
// window exists; --exit-after ends the program MS milliseconds after start; --show-after
// shows the window only MS milliseconds after start (a program slow to start); --delay-ms
// makes the handling of each key take MS milliseconds before its line is written (a slow
// receiver); --report-fds writes the numbers of the file descriptors it was started with,
// one per line, and ends.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>

namespace {

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

class Probe : public QWidget {
public:
    Probe(QFile& output, int delayMs)
        : output_(output)
        , delayMs_(delayMs) {
        setWindowTitle(QStringLiteral("keyprobe"));
        setFocusPolicy(Qt::StrongFocus);
        resize(240, 120);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (isModifierKey(event->key())) {
            return;
        }
        if (delayMs_ > 0) {
            QThread::msleep(static_cast<unsigned long>(delayMs_));
        }
        const QKeySequence key(QKeyCombination(event->modifiers(), Qt::Key(event->key())));
        output_.write(key.toString(QKeySequence::PortableText).toUtf8() + '\n');
        output_.flush();
    }

private:
    QFile& output_;
    int delayMs_;
};

int usage(const char* why) {
    std::fprintf(stderr,
                 "keyprobe: %s\nusage: keyprobe OUTPUT [--exit-now] [--exit-after MS] "
                 "[--delay-ms MS] [--report-fds]\n",
                 why);
    return 2;
}

bool parseMs(const char* text, int* value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 0 || parsed > 600000) {
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

// The descriptors this process was started with: /proc/self/fd without `own` (the output
// file) and the one the listing itself uses.
QByteArray inheritedDescriptors(int own) {
    QByteArray lines;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr) {
        return "cannot list /proc/self/fd\n";
    }
    const int listing = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        bool ok = false;
        const int fd = QByteArray(entry->d_name).toInt(&ok);
        if (ok && fd != own && fd != listing) {
            lines += QByteArray::number(fd) + '\n';
        }
    }
    ::closedir(dir);
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage("no output file given");
    }
    bool exitNow = false;
    bool reportFds = false;
    int exitAfterMs = -1;
    int showAfterMs = 0;
    int delayMs = 0;
    for (int i = 2; i < argc; ++i) {
        const QByteArray option(argv[i]);
        if (option == "--exit-now") {
            exitNow = true;
        } else if (option == "--report-fds") {
            reportFds = true;
        } else if (option == "--exit-after" && i + 1 < argc) {
            if (!parseMs(argv[++i], &exitAfterMs)) {
                return usage("--exit-after needs milliseconds");
            }
        } else if (option == "--show-after" && i + 1 < argc) {
            if (!parseMs(argv[++i], &showAfterMs)) {
                return usage("--show-after needs milliseconds");
            }
        } else if (option == "--delay-ms" && i + 1 < argc) {
            if (!parseMs(argv[++i], &delayMs)) {
                return usage("--delay-ms needs milliseconds");
            }
        } else {
            return usage("unknown option");
        }
    }

    QFile output(QFile::decodeName(argv[1]));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "keyprobe: cannot write %s\n", argv[1]);
        return 1;
    }
    if (reportFds) {
        output.write(inheritedDescriptors(output.handle()));
        return 0;
    }
    if (exitNow) {
        return 0;
    }

    QApplication app(argc, argv);
    Probe probe(output, delayMs);
    QTimer::singleShot(showAfterMs, &probe, [&probe] {
        probe.show();
        probe.activateWindow();
        probe.setFocus();
    });
    if (exitAfterMs >= 0) {
        QTimer::singleShot(exitAfterMs, &app, &QCoreApplication::quit);
    }
    return app.exec();
}
