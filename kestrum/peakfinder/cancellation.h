#pragma once
// Long work of the peak finder stops half-way when its caller asks: while a CancellationScope
// lives on a thread, the peak finder on that thread asks it now and then whether to stop, and
// stops by raising Cancelled. Outside any scope the work runs to its end.

#include "kestrum_peakfinder_export.h"

#include <exception>
#include <functional>

namespace kestrum {

class KESTRUM_PEAKFINDER_EXPORT Cancelled : public std::exception {
public:
    const char* what() const noexcept override;
};

class KESTRUM_PEAKFINDER_EXPORT CancellationScope {
public:
    // `stopRequested` is asked on this thread only, as often as every few milliseconds of work.
    explicit CancellationScope(std::function<bool()> stopRequested);
    ~CancellationScope();
    CancellationScope(const CancellationScope&) = delete;
    CancellationScope& operator=(const CancellationScope&) = delete;

    // Raises Cancelled when the innermost scope of this thread asks to stop.
    static void throwIfRequested();

private:
    std::function<bool()> m_stopRequested;
    CancellationScope* m_outer;
};

} // namespace kestrum
