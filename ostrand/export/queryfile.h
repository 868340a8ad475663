#pragma once
// A query file in the Sorvex generic text format as the engine writes it: two header lines that
// say which search it is for, then the query blocks (or, for a fingerprint, the peak lines). The
// text goes into a temporary file beside the destination through the query text buffer, and
// save() puts the finished file in place in one step. A query that is never saved (the search was
// cancelled, failed or found nothing to search) leaves an earlier file at the destination exactly
// as it was. The search dialog and ostrand-export both write their query files through it.

#include "files/savefile.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace ostrand {

class SorvexStringHelper;
class VeskFileInfo;
struct CycleSelection;

class QueryFile {
public:
    // The search a query is for, named by its header lines.
    enum class Search {
        Ions,        // an MS/MS ion search: SEARCH=MIS, REPTYPE=Peptide
        Fingerprint, // a peptide mass fingerprint: SEARCH=PMF, REPTYPE=Protein
    };
    using Peaks = std::vector<std::pair<double, double>>;

    // Starts the query for `destination` in `buffer`, the exporter's query text buffer that
    // appends the blocks: names the temporary file and writes the header lines. Raises when no
    // file can be made beside the destination, or the destination is not a regular file.
    QueryFile(const QString& destination, Search search, std::shared_ptr<SorvexStringHelper> buffer);
    // A query of the caller's own spectra, in a buffer of its own.
    QueryFile(const QString& destination, Search search);
    // Without save(), the temporary file goes and the destination stays as it was.
    ~QueryFile();
    QueryFile(const QueryFile&) = delete;
    QueryFile& operator=(const QueryFile&) = delete;

    const QString& destination() const { return m_destination; }
    // Where the text is written until save().
    const QString& temporaryPath() const { return m_file.temporaryPath(); }

    // One spectrum the caller has, for an ion search: "BEGIN IONS", the precursor m/z unrounded,
    // the peak lines, "END IONS" and an empty line. It has no CHARGE or TITLE line.
    void appendIonsBlock(double precursorMz, const Peaks& peaks);
    // One spectrum as a fingerprint: its peak lines, then an empty line.
    void appendPeakList(const Peaks& peaks);

    // Closes the text and puts the file in place of the destination; the buffer then names the
    // destination.
    void save();

    // What became of the destination when the query is not saved, in a sentence for the user.
    QString unsavedText() const;

    // The steps an export of the data file counts on its progress bar: for a data-dependent run
    // every cycle of the first period, those before the first exported cycle included; otherwise
    // each selected cycle of each period, a whole run (cycle -1) as one. Times the samples when
    // every sample is exported (`sampleIndex` -1).
    static double progressTotal(const VeskFileInfo& info, std::int32_t sampleIndex, std::int32_t startCycle,
                                std::int32_t endCycle, const CycleSelection& useCycles);

    // A peak as every query writes it: m/z and intensity rounded to 4 decimals (halves to even),
    // one space apart, without the line end.
    static QString peakLine(double mz, double intensity);

private:
    void appendPeakLines(const Peaks& peaks);

    QString m_destination;
    files::SaveFile m_file;
    std::shared_ptr<SorvexStringHelper> m_buffer;
    // A file with content was at the destination when the query began.
    bool m_replacesEarlierFile;
    bool m_saved = false;
};

} // namespace ostrand
