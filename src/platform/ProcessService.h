// Starting other programs (the source application, the text editor) without a shell,
// and telling whether a program started that way still runs.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class IProcessService {
public:
    virtual ~IProcessService() = default;

    // Starts `program` with `arguments`, each passed as one argument as it stands (no shell,
    // no quoting, no word splitting). Returns the task id (the process id), or 0 when the
    // program could not be started; then `error`, when given, says why.
    virtual int32_t Launch(const QString& program, const QStringList& arguments,
                           QString* error = nullptr) = 0;

    // True while the process started by Launch() as `taskId` is running. An id this
    // service did not start, a process that has ended (even one not yet reaped) and an id
    // reused by another process all answer false.
    virtual bool IsRunning(int32_t taskId) = 0;
};
