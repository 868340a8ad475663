#include "interruptwatch.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void requestInterrupt(int) {
    interruptRequested = 1;
}

} // namespace

InterruptWatch::InterruptWatch() {
    interruptRequested = 0;
    std::signal(SIGINT, requestInterrupt);
    std::signal(SIGTERM, requestInterrupt);
}

InterruptWatch::~InterruptWatch() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool InterruptWatch::requested() {
    return interruptRequested != 0;
}
