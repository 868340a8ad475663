#include "processgroupguard.h"

#include "errors/numberederror.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <optional>
#include <utility>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace browser {

namespace {

// Runs in the guard process, a copy of the started child made before it runs its program: only
// async-signal-safe calls. Ends the group when the pipe reaches its end, and leaves quietly when
// a byte comes through it instead.
[[noreturn]] void guardGroup(int readEnd) {
    // Whatever else this program had open must not be held open by the guard.
    if (readEnd > 0)
        ::close_range(0, static_cast<unsigned>(readEnd) - 1, 0);
    ::close_range(static_cast<unsigned>(readEnd) + 1, ~0U, 0);
    char byte = 0;
    ssize_t got = 0;
    do
        got = ::read(readEnd, &byte, 1);
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        ::kill(0, SIGKILL);
    ::_exit(0);
}

// The state and the process group of a process, from "PID (NAME) STATE PPID PGRP ..." in its
// /proc stat file (the name may hold spaces and parentheses); nothing once it has gone.
std::optional<std::pair<char, qint64>> stateAndGroupOf(const QString& pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 3 || fields[0].isEmpty())
        return std::nullopt;
    return std::make_pair(fields[0].at(0), fields[2].toLongLong());
}

bool isEnded(char state) {
    return state == 'Z' || state == 'X';
}

// Whether a process of the group still runs. Ended processes whose parent does not reap them stay
// in the group as zombies, so the group is read from /proc rather than probed with a signal.
bool groupRuns(qint64 group) {
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& process : processes) {
        const auto found = stateAndGroupOf(process);
        if (found && found->second == group && !isEnded(found->first))
            return true;
    }
    return false;
}

} // namespace

ProcessGroupGuard::ProcessGroupGuard() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw errors::NumberedError::system(QStringLiteral("Cannot watch the browser's processes: %1")
                                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
}

ProcessGroupGuard::~ProcessGroupGuard() {
    ::close(m_readEnd);
    if (m_writeEnd >= 0)
        ::close(m_writeEnd);
}

void ProcessGroupGuard::watch(QProcess& process) {
    const int readEnd = m_readEnd;
    process.setChildProcessModifier([readEnd] {
        // A group of its own also keeps Ctrl+C on the terminal from reaching the driver and the
        // browser directly: this program decides what an interrupt ends.
        ::setpgid(0, 0);
        if (::fork() == 0)
            guardGroup(readEnd);
        // The child goes on to run its program; both ends of the pipe close as it does.
    });
}

void ProcessGroupGuard::release() {
    if (m_writeEnd < 0)
        return;
    const char byte = 0;
    while (::write(m_writeEnd, &byte, 1) < 0 && errno == EINTR) {
    }
    ::close(m_writeEnd);
    m_writeEnd = -1;
}

bool processRuns(qint64 pid) {
    if (pid <= 0)
        return false;
    const auto found = stateAndGroupOf(QString::number(pid));
    return found && !isEnded(found->first);
}

void ProcessGroupGuard::endGroup(qint64 leader) const {
    if (m_writeEnd < 0 || leader <= 0)
        return;
    ::kill(-static_cast<pid_t>(leader), SIGKILL);
    const QDeadlineTimer deadline(5000);
    while (groupRuns(leader) && !deadline.hasExpired())
        QThread::msleep(20);
}

} // namespace browser
