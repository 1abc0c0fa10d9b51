#include "platform/LinuxProcessService.h"

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

static_assert(sizeof(pid_t) == sizeof(int32_t), "task ids are process ids");

struct LinuxProcessService::Child {
    // Refers to exactly the process that was started, whatever happens to its id; -1 when
    // the kernel has no pidfd_open (before Linux 5.3).
    int pidfd = -1;
    // Reaps the child as soon as its pidfd says it ended; null without an event loop.
    QSocketNotifier* watcher = nullptr;

    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        delete watcher;
        if (pidfd >= 0) {
            ::close(pidfd);
        }
    }
};

namespace {

int32_t fail(QString* error, const QString& why) {
    if (error) {
        *error = why;
    }
    return 0;
}

// posix_spawn attributes and file actions, released on every path.
class SpawnSetup {
public:
    SpawnSetup() {
        okActions_ = posix_spawn_file_actions_init(&actions_) == 0;
        okAttributes_ = posix_spawnattr_init(&attributes_) == 0;
    }
    ~SpawnSetup() {
        if (okActions_) {
            posix_spawn_file_actions_destroy(&actions_);
        }
        if (okAttributes_) {
            posix_spawnattr_destroy(&attributes_);
        }
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // The child starts like a program started from a desktop: no blocked signals, default
    // handling for all (an ignored SIGPIPE or SIGCHLD would otherwise carry over exec),
    // and only descriptors 0 to 2 (Qt opens its own with close-on-exec, other libraries do
    // not always).
    int Prepare() {
        if (!okActions_ || !okAttributes_) {
            return ENOMEM;
        }
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        int rc = posix_spawnattr_setsigmask(&attributes_, &none);
        if (rc == 0) {
            rc = posix_spawnattr_setsigdefault(&attributes_, &all);
        }
        if (rc == 0) {
            rc = posix_spawnattr_setflags(&attributes_,
                                          POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        }
        if (rc == 0) {
            rc = posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
        }
        return rc;
    }

    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
    bool okActions_ = false;
    bool okAttributes_ = false;
};

int openPidfd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); // close-on-exec by design
}

} // namespace

LinuxProcessService::LinuxProcessService() = default;

// The children keep running; only the pidfds and their watchers go.
LinuxProcessService::~LinuxProcessService() = default;

int32_t LinuxProcessService::Launch(const QString& program, const QStringList& arguments,
                                    QString* error) {
    if (program.isEmpty()) {
        return fail(error, QStringLiteral("no program was given to start"));
    }

    std::vector<QByteArray> encoded;
    encoded.reserve(static_cast<size_t>(arguments.size()) + 1);
    encoded.push_back(QFile::encodeName(program));
    for (const QString& argument : arguments) {
        encoded.push_back(QFile::encodeName(argument));
    }
    std::vector<char*> argv;
    argv.reserve(encoded.size() + 1);
    for (QByteArray& text : encoded) {
        if (text.contains('\0')) {
            return fail(error, QStringLiteral("cannot start \"%1\": an argument contains a "
                                              "NUL character")
                                   .arg(program));
        }
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    SpawnSetup setup;
    int rc = setup.Prepare();
    pid_t pid = 0;
    if (rc == 0) {
        // A bare name is looked up in PATH, anything with a "/" is a path as it stands.
        // glibc reports a failed exec (missing, not executable, not a program) here, and
        // never retries a file it cannot execute through /bin/sh.
        rc = program.contains(QLatin1Char('/'))
                 ? posix_spawn(&pid, argv[0], setup.actions(), setup.attributes(), argv.data(),
                               environ)
                 : posix_spawnp(&pid, argv[0], setup.actions(), setup.attributes(), argv.data(),
                                environ);
    }
    if (rc != 0) {
        return fail(error,
                    QStringLiteral("cannot start \"%1\": %2").arg(program, qt_error_string(rc)));
    }

    // Nothing else in this program waits for children it did not start, so this one cannot
    // have been reaped yet: the pidfd names the process just started, even if it has ended
    // already. An entry left under the same id belonged to a process reaped elsewhere.
    children_.erase(pid);
    auto child = std::make_unique<Child>();
    child->pidfd = openPidfd(pid);
    if (child->pidfd >= 0 && QAbstractEventDispatcher::instance() != nullptr) {
        child->watcher = new QSocketNotifier(child->pidfd, QSocketNotifier::Read, &watchers_);
        QObject::connect(child->watcher, &QSocketNotifier::activated, child->watcher,
                         [this, pid] { ChildEnded(pid); });
    }
    children_.emplace(pid, std::move(child));
    return pid;
}

void LinuxProcessService::ChildEnded(int32_t pid) {
    const auto found = children_.find(pid);
    if (found == children_.end() || found->second->watcher == nullptr) {
        return;
    }
    // This runs inside the notifier's own signal: it must not be deleted here.
    QSocketNotifier* watcher = std::exchange(found->second->watcher, nullptr);
    watcher->setEnabled(false);
    watcher->deleteLater();
    IsRunning(pid);
}

bool LinuxProcessService::IsRunning(int32_t taskId) {
    const auto found = children_.find(taskId);
    if (found == children_.end()) {
        return false;
    }
    if (!HasEnded(taskId, *found->second)) {
        return true;
    }
    Reap(taskId);
    children_.erase(taskId);
    return false;
}

bool LinuxProcessService::HasEnded(int32_t pid, const Child& child) const {
    if (child.pidfd >= 0) {
        pollfd watch{child.pidfd, POLLIN, 0};
        int rc;
        do {
            rc = ::poll(&watch, 1, 0);
        } while (rc < 0 && errno == EINTR);
        if (rc >= 0) {
            return rc > 0; // readable once the process has ended
        }
    }
    // Without a pidfd: the child is ours and unreaped, so its id is still its own.
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0) {
        return errno == ECHILD; // reaped by someone else: certainly not running
    }
    return info.si_pid != 0;
}

void LinuxProcessService::Reap(int32_t pid) {
    const auto found = children_.find(pid);
    siginfo_t info{};
    if (found != children_.end() && found->second->pidfd >= 0) {
        int rc;
        do {
            rc = ::waitid(P_PIDFD, static_cast<id_t>(found->second->pidfd), &info,
                          WEXITED | WNOHANG);
        } while (rc < 0 && errno == EINTR);
        if (rc == 0 || errno != EINVAL) {
            return;
        }
        // EINVAL: a kernel with pidfd_open but without waitid(P_PIDFD) (Linux 5.3).
    }
    int rc;
    do {
        rc = ::waitpid(pid, nullptr, WNOHANG);
    } while (rc < 0 && errno == EINTR);
}
