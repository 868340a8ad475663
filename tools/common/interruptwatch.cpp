#include "interruptwatch.h"

#include "exitcodes.h"

#include <QFile>

#include <csignal>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interruptRequested = 0;
volatile std::sig_atomic_t stopAtOnce = 0;
// The handler reads the two texts only while fileNamed is set, and they change only while it is not.
volatile std::sig_atomic_t fileNamed = 0;
std::string halfWrittenPath;
std::string stopMessage;

constexpr int watchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

const char plainMessage[] = "interrupted\n";

// Only async-signal-safe calls here: unlink, write and _exit.
void stopNow() {
    const bool named = fileNamed != 0;
    if (named)
        ::unlink(halfWrittenPath.c_str());
    [[maybe_unused]] const ssize_t written =
        named ? ::write(STDERR_FILENO, stopMessage.data(), stopMessage.size())
              : ::write(STDERR_FILENO, plainMessage, sizeof plainMessage - 1);
    ::_exit(ExitCancelled);
}

extern "C" void requestInterrupt(int) {
    const bool again = interruptRequested != 0;
    interruptRequested = 1;
    if (stopAtOnce != 0 || (again && fileNamed != 0))
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

InterruptWatch::HalfWrittenFile::HalfWrittenFile(const QString& file, const QString& message) {
    fileNamed = 0;
    halfWrittenPath = QFile::encodeName(file).toStdString();
    stopMessage = message.toLocal8Bit().toStdString();
    fileNamed = 1;
}

InterruptWatch::HalfWrittenFile::~HalfWrittenFile() {
    fileNamed = 0;
}

InterruptWatch::StopAtOnce::StopAtOnce() {
    stopAtOnce = 1;
    if (requested())
        stopNow();
}

InterruptWatch::StopAtOnce::~StopAtOnce() {
    stopAtOnce = 0;
}
