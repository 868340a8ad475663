#include "processgroupguard.h"

#include "automation/automationerror.h"

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

} // namespace

ProcessGroupGuard::ProcessGroupGuard() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw automation::AutomationError::system(QStringLiteral("Cannot watch the browser's processes: %1")
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

} // namespace browser
