#pragma once
// Ctrl+C (and SIGTERM, and SIGHUP when the terminal goes away) as a request to cancel: while an
// InterruptWatch lives, the signal only records the request, so that the work can stop at its
// next step and remove what it half-wrote. While a HalfWrittenFile names the output, a second
// interrupt, for work that has not reached its next step (a wait that does not end), ends the
// program at once as interrupted and removes that file.

#include <QString>

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Whether the user has interrupted since the watch began.
    static bool requested();

    // While it lives, `file` is the output being written: a second interrupt removes it, prints
    // the message on standard error and ends the program at once.
    class HalfWrittenFile {
    public:
        HalfWrittenFile(const QString& file, const QString& message);
        ~HalfWrittenFile();
        HalfWrittenFile(const HalfWrittenFile&) = delete;
        HalfWrittenFile& operator=(const HalfWrittenFile&) = delete;
    };

    // For work that has no step at which it could stop: while a StopAtOnce lives, the first
    // interrupt already ends the program at once, as a second one would (with no HalfWrittenFile,
    // saying only "interrupted"). An interrupt that came before it does the same when it begins.
    class StopAtOnce {
    public:
        StopAtOnce();
        ~StopAtOnce();
        StopAtOnce(const StopAtOnce&) = delete;
        StopAtOnce& operator=(const StopAtOnce&) = delete;
    };
};
