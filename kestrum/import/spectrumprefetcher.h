#pragma once
// Reads a source's spectra on a thread of its own, a few ahead of the importer, so that parsing and
// decoding the input overlaps with encoding and storing the scans before it: on a machine with two
// or more cores an import then takes about as long as the slower of the two, not their sum.

#include "sourcespectrum.h"

#include "kestrum/taskthread.h"

#include <QtGlobal>

#include <deque>
#include <future>

namespace kestrum {

class SpectrumSource;

class SpectrumPrefetcher {
public:
    // Starts reading spectra 0, 1, ... of `source`, which nothing else may read until this object
    // is destroyed.
    explicit SpectrumPrefetcher(const SpectrumSource& source);
    // Stops reading (a failed import need not wait for the rest of the file) and waits for the thread.
    ~SpectrumPrefetcher() = default;
    SpectrumPrefetcher(const SpectrumPrefetcher&) = delete;
    SpectrumPrefetcher& operator=(const SpectrumPrefetcher&) = delete;

    // The next spectrum in file order; rethrows the error that reading it raised. Called at most
    // once per spectrum of the source.
    SourceSpectrum next();

private:
    void readNext();

    const SpectrumSource& m_source;
    qsizetype m_nextToRead = 0;
    std::deque<std::future<SourceSpectrum>> m_ahead;
    TaskThread m_reader; // destroyed first, so that no read outlives what it uses
};

} // namespace kestrum
