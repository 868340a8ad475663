#include "kestrum/peakfinder/cancellation.h"

#include <utility>

namespace kestrum {

namespace {

thread_local CancellationScope* innermost = nullptr;

} // namespace

const char* Cancelled::what() const noexcept {
    return "cancelled";
}

CancellationScope::CancellationScope(std::function<bool()> stopRequested)
    : m_stopRequested(std::move(stopRequested)), m_outer(innermost) {
    innermost = this;
}

CancellationScope::~CancellationScope() {
    innermost = m_outer;
}

void CancellationScope::throwIfRequested() {
    if (innermost && innermost->m_stopRequested())
        throw Cancelled();
}

} // namespace kestrum
