// Starting programs with posix_spawn (never through a shell) and telling whether they
// still run through a pidfd taken at once, so that an ended child or a reused process id is
// never mistaken for the program that was started.
#pragma once

#include "platform/ProcessService.h"

#include <QObject>
#include <map>
#include <memory>

class LinuxProcessService : public IProcessService {
public:
    LinuxProcessService();
    ~LinuxProcessService() override;
    LinuxProcessService(const LinuxProcessService&) = delete;
    LinuxProcessService& operator=(const LinuxProcessService&) = delete;

    // `program` containing a "/" is run as that path (relative to the working folder when
    // it does not start with "/"); a bare name is looked up in PATH. The child gets the
    // environment, the working folder and the standard input and outputs of this process,
    // default signal handling and no other inherited file descriptor. It is not stopped when
    // this service ends.
    int32_t Launch(const QString& program, const QStringList& arguments,
                   QString* error = nullptr) override;

    // Never blocks. Children are reaped as soon as they end while an event loop runs (and
    // at the latest here), so none is left behind as a zombie.
    bool IsRunning(int32_t taskId) override;

private:
    struct Child;

    bool HasEnded(int32_t pid, const Child& child) const;
    void Reap(int32_t pid);
    void ChildEnded(int32_t pid);

    // Everything is used from the thread that created the service.
    QObject watchers_; // parent of the pidfd notifiers, so that none outlives the service
    std::map<int32_t, std::unique_ptr<Child>> children_;
};
