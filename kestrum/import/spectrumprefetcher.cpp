#include "spectrumprefetcher.h"

#include "spectrumsource.h"

namespace kestrum {

namespace {

// Enough to ride out a few large spectra in a row, few enough that memory stays small.
constexpr std::size_t readAhead = 8;

} // namespace

SpectrumPrefetcher::SpectrumPrefetcher(const SpectrumSource& source) : m_source(source) {
    while (m_ahead.size() < readAhead && m_nextToRead < m_source.count())
        readNext();
}

SourceSpectrum SpectrumPrefetcher::next() {
    std::future<SourceSpectrum> ready = std::move(m_ahead.front());
    m_ahead.pop_front();
    SourceSpectrum spectrum = ready.get();
    if (m_nextToRead < m_source.count())
        readNext();
    return spectrum;
}

void SpectrumPrefetcher::readNext() {
    m_ahead.push_back(m_reader.submit([this, index = m_nextToRead] { return m_source.read(index); }));
    ++m_nextToRead;
}

} // namespace kestrum
