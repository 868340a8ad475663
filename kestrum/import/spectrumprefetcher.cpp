#include "spectrumprefetcher.h"

#include "spectrumsource.h"

namespace kestrum {

namespace {

// Enough to ride out a few large spectra in a row, few enough that memory stays small.
constexpr std::size_t readAhead = 8;

} // namespace

SpectrumPrefetcher::SpectrumPrefetcher(const SpectrumSource& source)
    : m_source(source), m_thread([this] { readAll(); }) {}

SpectrumPrefetcher::~SpectrumPrefetcher() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

SourceSpectrum SpectrumPrefetcher::next() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_error; });
    if (m_ready.empty())
        std::rethrow_exception(m_error);
    SourceSpectrum spectrum = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return spectrum;
}

void SpectrumPrefetcher::readAll() {
    for (qsizetype i = 0; i < m_source.count(); ++i) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_ready.size() < readAhead || m_stopping; });
            if (m_stopping)
                return;
        }
        try {
            SourceSpectrum spectrum = m_source.read(i);
            const std::lock_guard lock(m_mutex);
            m_ready.push_back(std::move(spectrum));
        } catch (...) {
            const std::lock_guard lock(m_mutex);
            m_error = std::current_exception();
        }
        m_changed.notify_all();
        if (m_error)
            return;
    }
}

} // namespace kestrum
