#pragma once
// Ctrl+C (and SIGTERM) as a request to cancel: while an InterruptWatch lives, the signal only
// records the request, so that the work can stop at its next step and remove what it half-wrote.

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Whether the user has interrupted since the watch began.
    static bool requested();
};
