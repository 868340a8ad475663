#pragma once
// Ctrl+C (and SIGTERM, and SIGHUP when the terminal goes away) as a request to cancel: while an
// InterruptWatch lives, the signal only records the request, so that the work can stop at its
// next step and remove what it half-wrote.

#include <QString>

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Whether the user has interrupted since the watch began.
    static bool requested();

    // For work that has no step at which it could stop: while a StopAtOnce lives, an interrupt
    // removes the half-written file, prints the message on standard error and ends the program
    // at once as interrupted. An interrupt that came before it does the same when it begins.
    class StopAtOnce {
    public:
        StopAtOnce(const QString& halfWrittenFile, const QString& message);
        ~StopAtOnce();
        StopAtOnce(const StopAtOnce&) = delete;
        StopAtOnce& operator=(const StopAtOnce&) = delete;
    };
};
