#include "kestrum/scanreadahead.h"

#include "kestrum/plausiblevalues.h"
#include "kestrum/pointcodec.h"

#include <system_error>

namespace kestrum {

namespace {

// Scans decoded ahead of, and kept behind, the caller's position: enough to cover a cycle's
// survey scan read after its product scans, few enough that memory stays small on long runs.
constexpr std::size_t window = 8;
// Huge scans are read ahead only while the points ahead stay below this (16 bytes each decoded),
// so that memory stays at about one huge scan's worth however many follow.
constexpr std::int64_t pointsAhead = 2'000'000;

} // namespace

DecodedPoints decodePoints(const ScanEntry& entry, const StoredPoints& stored) {
    DecodedPoints points;
    if (!stored.problem.isEmpty()) {
        points.problem = stored.problem;
        return points;
    }
    if (entry.checksum && scanChecksum(entry, stored.mz, stored.intensity) != *entry.checksum) {
        points.problem =
            QStringLiteral("its checksum does not match its contents, which were damaged or edited");
        return points;
    }
    const auto count = static_cast<std::size_t>(entry.pointCount);
    if (!decodeMzArray(stored.mz, count, points.mz) ||
        !decodeIntensityArray(stored.intensity, count, points.intensity)) {
        points.problem = QStringLiteral("its points cannot be decoded");
        return points;
    }
    points.problem = plausible::pointProblem(points.mz, points.intensity);
    return points;
}

ScanReadAhead::ScanReadAhead(std::vector<const ScanEntry*> order,
                             std::function<StoredPoints(const ScanEntry&)> fetch)
    : m_order(std::move(order)), m_fetch(std::move(fetch)) {}

// The decoder thread goes first (it is the last member), so no task outlives what it reads.
ScanReadAhead::~ScanReadAhead() = default;

DecodedPoints ScanReadAhead::points(const ScanEntry& entry) {
    const std::size_t position = entry.position;
    std::optional<std::future<DecodedPoints>> ready;
    if (const auto found = m_ahead.find(position); found != m_ahead.end()) {
        ready = std::move(found->second);
        m_ahead.erase(found);
    }
    const bool inOrder = m_last && position + window >= *m_last && position <= *m_last + window;
    m_last = position;
    if (inOrder) {
        readAheadOf(position);
    } else {
        // A jump: what was read ahead will not be asked for.
        m_ahead.clear();
        m_nextAhead = position + 1;
    }
    if (ready)
        return ready->get();
    return decodePoints(entry, m_fetch(entry));
}

void ScanReadAhead::readAheadOf(std::size_t position) {
    std::erase_if(m_ahead, [position](const auto& item) { return item.first + window < position; });
    if (!m_decoder) {
        try {
            m_decoder = std::make_unique<TaskThread>();
        } catch (const std::system_error&) {
            return; // no thread to be had: every scan is read when asked for, as without read-ahead
        }
    }
    m_nextAhead = std::max(m_nextAhead, position + 1);
    const std::size_t end = std::min(m_order.size(), position + 1 + window);
    std::int64_t points = 0;
    for (const auto& item : m_ahead)
        points += item.first > position ? m_order[item.first]->pointCount : 0;
    for (; m_nextAhead < end; ++m_nextAhead) {
        const ScanEntry& entry = *m_order[m_nextAhead];
        points += entry.pointCount;
        if (points > pointsAhead && m_nextAhead > position + 1)
            break;
        std::future<DecodedPoints> decoded;
        try {
            decoded =
                m_decoder->submit([entry, stored = m_fetch(entry)] { return decodePoints(entry, stored); });
        } catch (...) {
            // Raised again when the caller asks for this scan, as a direct read would raise it.
            std::promise<DecodedPoints> failed;
            failed.set_exception(std::current_exception());
            decoded = failed.get_future();
        }
        m_ahead.emplace(m_nextAhead, std::move(decoded));
    }
}

} // namespace kestrum
