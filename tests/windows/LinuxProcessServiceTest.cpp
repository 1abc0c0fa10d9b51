// Starting programs without a shell and watching them end: the real LinuxProcessService
// with the keyprobe helper, /bin/true and sleep as children.
#include "platform/LinuxProcessService.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString keyprobe = QStringLiteral(LINEALIS_HELPER_DIR "/keyprobe");

// The state letter of /proc/<pid>/stat ('R', 'S', 'Z', ...), 0 when there is no such
// process.
char processStateOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const qsizetype nameEnd = text.lastIndexOf(')');
    return nameEnd >= 0 && nameEnd + 2 < text.size() ? text.at(nameEnd + 2) : 0;
}

// True once `pid` is no longer a child of this process waiting to be reaped.
bool isReaped(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0 &&
           errno == ECHILD;
}

int openDescriptorCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                                .size());
}

TEST(LinuxProcessService, ProgramRunsUntilItEndsAndIsThenReaped) {
    LinuxProcessService processes;
    QTemporaryDir dir;
    QString error;
    const int32_t pid = processes.Launch(keyprobe,
                                         {dir.filePath(QStringLiteral("keys.txt")),
                                          QStringLiteral("--exit-after"), QStringLiteral("300")},
                                         &error);
    ASSERT_GT(pid, 0) << error.toStdString();
    EXPECT_TRUE(processes.IsRunning(pid));
    EXPECT_TRUE(waitFor([&] { return !processes.IsRunning(pid); }, 10000));
    EXPECT_TRUE(isReaped(pid));
}

TEST(LinuxProcessService, KilledProgramStopsRunning) {
    LinuxProcessService processes;
    QString error;
    // A bare name is looked up in PATH.
    const int32_t pid = processes.Launch(QStringLiteral("sleep"), {QStringLiteral("30")}, &error);
    ASSERT_GT(pid, 0) << error.toStdString();
    EXPECT_TRUE(processes.IsRunning(pid));
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    EXPECT_TRUE(waitFor([&] { return !processes.IsRunning(pid); }, 5000));
    EXPECT_TRUE(isReaped(pid));
}

TEST(LinuxProcessService, EndedChildIsNotRunningBeforeItIsReaped) {
    LinuxProcessService processes;
    QString error;
    const int32_t pid = processes.Launch(QStringLiteral("/bin/true"), {}, &error);
    ASSERT_GT(pid, 0) << error.toStdString();

    // No event loop runs here, so nothing reaps the child: it stays a zombie, and its id
    // still names a process.
    QElapsedTimer timer;
    timer.start();
    while (processStateOf(pid) != 'Z' && timer.elapsed() < 5000) {
        QThread::msleep(5);
    }
    ASSERT_EQ(processStateOf(pid), 'Z');
    EXPECT_FALSE(processes.IsRunning(pid));
    EXPECT_TRUE(isReaped(pid));
    EXPECT_FALSE(processes.IsRunning(pid)); // and it stays that way
}

TEST(LinuxProcessService, EndedChildrenAreReapedWithoutBeingAsked) {
    LinuxProcessService processes;
    std::vector<int32_t> pids;
    for (int i = 0; i < 8; ++i) {
        QString error;
        const int32_t pid = processes.Launch(QStringLiteral("/bin/true"), {}, &error);
        ASSERT_GT(pid, 0) << error.toStdString();
        pids.push_back(pid);
    }
    EXPECT_TRUE(waitFor(
        [&] {
            return std::all_of(pids.begin(), pids.end(), [](int32_t p) { return isReaped(p); });
        },
        5000));
    for (const int32_t pid : pids) {
        EXPECT_FALSE(processes.IsRunning(pid));
    }
}

TEST(LinuxProcessService, ProgramAndArgumentsPassAsTheyStand) {
    LinuxProcessService processes;
    QTemporaryDir dir;
    // A program path and an argument full of what a shell would split, expand or quote.
    const QString folder = dir.filePath(QStringLiteral("a folder with spaces"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/key probe");
    ASSERT_TRUE(QFile::link(keyprobe, program));
    const QString output = folder + QStringLiteral("/out 'single' \"double\" $HOME `x` ;*.txt");

    QString error;
    const int32_t pid = processes.Launch(program, {output, QStringLiteral("--exit-now")}, &error);
    ASSERT_GT(pid, 0) << error.toStdString();
    ASSERT_TRUE(waitFor([&] { return !processes.IsRunning(pid); }, 10000));
    EXPECT_TRUE(QFile::exists(output));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2); // the program and its output
}

TEST(LinuxProcessService, ProgramsThatCannotStartGiveZeroAndAReason) {
    QTemporaryDir dir;
    const QString plainFile = dir.filePath(QStringLiteral("not a program.txt"));
    {
        QFile file(plainFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("just text\n");
    }
    // Executable, but no program format: a shell would run it as a script.
    const QString script = dir.filePath(QStringLiteral("script-without-interpreter"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("touch \"$0.ran\"\n");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(script).constData(), 0700), 0);

    const QString cases[] = {
        QString(), dir.filePath(QStringLiteral("missing/program")), plainFile, dir.path(),
        script,    QStringLiteral("linealis-test-no-such-program"),
    };
    LinuxProcessService processes;
    for (const QString& program : cases) {
        SCOPED_TRACE(program.toStdString());
        QString error;
        EXPECT_EQ(processes.Launch(program, {QStringLiteral("argument")}, &error), 0);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(error.contains(program)) << error.toStdString();
    }
    EXPECT_FALSE(QFile::exists(script + QStringLiteral(".ran")));
}

TEST(LinuxProcessService, IdsNotStartedHereAreNeverRunning) {
    LinuxProcessService processes;
    // Live processes all of them, but not started by this service.
    for (const int32_t id : {static_cast<int32_t>(::getpid()), static_cast<int32_t>(::getppid()),
                             int32_t{1}, int32_t{0}, int32_t{-1}, int32_t{0x7fffffff}}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(processes.IsRunning(id));
    }
}

TEST(LinuxProcessService, ChildInheritsOnlyTheStandardDescriptors) {
    int leaky[2];
    ASSERT_EQ(::pipe(leaky), 0); // without O_CLOEXEC on purpose
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("fds.txt"));
    LinuxProcessService processes;
    QString error;
    const int32_t pid =
        processes.Launch(keyprobe, {output, QStringLiteral("--report-fds")}, &error);
    ASSERT_GT(pid, 0) << error.toStdString();
    ASSERT_TRUE(waitFor([&] { return !processes.IsRunning(pid); }, 10000));
    ::close(leaky[0]);
    ::close(leaky[1]);

    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty()) {
            EXPECT_LE(line.toInt(), 2) << "descriptor " << line.toStdString() << " inherited";
        }
    }
}

TEST(LinuxProcessService, EndingTheServiceClosesItsDescriptorsAndLeavesChildrenRunning) {
    const int before = openDescriptorCount();
    int32_t pid = 0;
    {
        LinuxProcessService processes;
        QString error;
        pid = processes.Launch(QStringLiteral("sleep"), {QStringLiteral("30")}, &error);
        ASSERT_GT(pid, 0) << error.toStdString();
        EXPECT_GT(openDescriptorCount(), before);
    }
    EXPECT_EQ(openDescriptorCount(), before);
    const char state = processStateOf(pid);
    EXPECT_TRUE(state != 0 && state != 'Z') << "state " << state;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

} // namespace
