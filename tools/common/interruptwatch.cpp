#include "interruptwatch.h"

#include "exitcodes.h"

#include <QFile>

#include <csignal>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interruptRequested = 0;
volatile std::sig_atomic_t stopAtOnce = 0;
// Set before stopAtOnce and left alone while it is, so that the handler may read them.
std::string halfWrittenPath;
std::string stopMessage;

constexpr int watchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe calls here: unlink, write and _exit.
void stopNow() {
    ::unlink(halfWrittenPath.c_str());
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, stopMessage.data(), stopMessage.size());
    ::_exit(ExitCancelled);
}

extern "C" void requestInterrupt(int) {
    interruptRequested = 1;
    if (stopAtOnce != 0)
        stopNow();
}

} // namespace

InterruptWatch::InterruptWatch() {
    interruptRequested = 0;
    for (const int signal : watchedSignals)
        std::signal(signal, requestInterrupt);
}

InterruptWatch::~InterruptWatch() {
    for (const int signal : watchedSignals)
        std::signal(signal, SIG_DFL);
}

bool InterruptWatch::requested() {
    return interruptRequested != 0;
}

InterruptWatch::StopAtOnce::StopAtOnce(const QString& halfWrittenFile, const QString& message) {
    halfWrittenPath = QFile::encodeName(halfWrittenFile).toStdString();
    stopMessage = message.toLocal8Bit().toStdString();
    stopAtOnce = 1;
    if (requested())
        stopNow();
}

InterruptWatch::StopAtOnce::~StopAtOnce() {
    stopAtOnce = 0;
}
