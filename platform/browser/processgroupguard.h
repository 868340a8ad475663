#pragma once
// Ties the life of a started program, and of every process it starts in turn, to this program's:
// the program gets a process group of its own, watched by a small guard process that ends the
// whole group as soon as this program ends, however it ends (kill -9 included). The guard waits
// on a pipe whose writing end only this program holds, so the kernel closes it for us. A parent-
// death signal would not do: it follows the thread that started the child, and reaches only the
// child itself, not the browser the driver starts.

#include <QProcess>

namespace browser {

// Whether the process runs: one that has ended but was not reaped (a zombie) does not.
bool processRuns(qint64 pid);

class ProcessGroupGuard {
public:
    // Raises a numbered error when the pipe cannot be made.
    ProcessGroupGuard();
    // Ends the group, unless release() let it go.
    ~ProcessGroupGuard();
    ProcessGroupGuard(const ProcessGroupGuard&) = delete;
    ProcessGroupGuard& operator=(const ProcessGroupGuard&) = delete;

    // Makes `process`, when started, the leader of the watched group.
    void watch(QProcess& process);
    // Lets the group outlive this program: the guard leaves without ending it.
    void release();
    // Ends the group led by `leader` now and waits, a few seconds at most, until none of it runs,
    // so that what the group wrote (a browser profile) can be removed. Nothing once released.
    void endGroup(qint64 leader) const;

private:
    int m_readEnd = -1;
    int m_writeEnd = -1;
};

} // namespace browser
