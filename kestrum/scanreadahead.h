#pragma once
// Reading a Vesk file's scans a few ahead of the caller. An export reads scan after scan in
// acquisition order; checking and decoding a scan's points (checksum, inflate, word decoding,
// plausibility) costs about as much again as all that the caller does with them. So while the
// caller works on one scan, the next few (fewer when they are huge) are decoded on a thread of
// their own. The stored arrays are still read on the caller's thread, through the file's one
// database connection, and every problem of a scan read ahead surfaces at the caller's call for
// that scan, as a direct read would raise it.

#include "kestrum/scanchecksum.h"
#include "kestrum/taskthread.h"

#include <QString>
#include <cstddef>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kestrum {

// A scan's row without its point arrays.
struct ScanEntry : StoredScanValues {
    std::int64_t id = 0;
    std::optional<std::uint32_t> checksum; // none in files older than checksums
    std::size_t position = 0;              // place in the file's acquisition order
};

// A scan's two point arrays exactly as stored, or why they could not be read.
struct StoredPoints {
    std::vector<unsigned char> mz;
    std::vector<unsigned char> intensity;
    QString problem;
};

// A scan's decoded points, or what is wrong with them.
struct DecodedPoints {
    std::vector<double> mz;
    std::vector<double> intensity;
    QString problem;
};

// Checks and decodes stored arrays; safe on any thread.
DecodedPoints decodePoints(const ScanEntry& entry, const StoredPoints& stored);

class ScanReadAhead {
public:
    // `order` lists every scan of the file in acquisition order (an entry's position is its index
    // there); `fetch` reads a scan's stored arrays and is only ever called on the caller's thread.
    ScanReadAhead(std::vector<const ScanEntry*> order, std::function<StoredPoints(const ScanEntry&)> fetch);
    ~ScanReadAhead();
    ScanReadAhead(const ScanReadAhead&) = delete;
    ScanReadAhead& operator=(const ScanReadAhead&) = delete;

    // The scan's points, decoded ahead when the caller has been reading in order, else now.
    // Raises what reading the scan raised.
    DecodedPoints points(const ScanEntry& entry);

private:
    void readAheadOf(std::size_t position);

    std::vector<const ScanEntry*> m_order;
    std::function<StoredPoints(const ScanEntry&)> m_fetch;
    std::map<std::size_t, std::future<DecodedPoints>> m_ahead; // by position
    std::size_t m_nextAhead = 0;                               // first position not yet read ahead
    std::optional<std::size_t> m_last;                         // position of the previous call
    std::unique_ptr<TaskThread> m_decoder;                     // started when first needed
};

} // namespace kestrum
