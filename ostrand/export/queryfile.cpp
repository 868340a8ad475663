#include "queryfile.h"

#include "data/veskfileinfo.h"
#include "mexportmsmstosorvex.h"
#include "sorvexstringhelper.h"

#include "errors/numberederror.h"
#include "numbers/numberconversion.h"

#include <QFileInfo>

namespace ostrand {

namespace {

QString roundedText(double value) {
    return numbers::numberText(numbers::roundHalfEven(value * 1e4) / 1e4, 15);
}

// How a failed step of the save is told: the folder that takes no new file, or the file that
// could not be finished.
QString describeFailure(const QString& destination, files::SaveFile::Step step, const QString& reason) {
    if (step == files::SaveFile::Step::Create)
        return QStringLiteral("Cannot create a file beside %1: %2").arg(destination, reason);
    return QStringLiteral("Cannot write %1: %2").arg(destination, reason);
}

} // namespace

QueryFile::QueryFile(const QString& destination, Search search, std::shared_ptr<SorvexStringHelper> buffer)
    : m_destination(destination), m_file(destination,
                                         [destination](files::SaveFile::Step step, const QString& reason) {
                                             return describeFailure(destination, step, reason);
                                         }),
      m_buffer(std::move(buffer)), m_replacesEarlierFile(QFileInfo(destination).size() > 0) {
    m_buffer->SetFilename(m_file.temporaryPath());
    if (search == Search::Ions) {
        m_buffer->AppendLine(QStringLiteral("SEARCH=MIS"));
        m_buffer->AppendLine(QStringLiteral("REPTYPE=Peptide"));
    } else {
        m_buffer->AppendLine(QStringLiteral("SEARCH=PMF"));
        m_buffer->AppendLine(QStringLiteral("REPTYPE=Protein"));
    }
}

QueryFile::QueryFile(const QString& destination, Search search)
    : QueryFile(destination, search, std::make_shared<SorvexStringHelper>()) {}

QueryFile::~QueryFile() {
    if (m_saved)
        return;
    // The temporary file goes with the save-file helper; the buffer must hold it open no longer.
    try {
        m_buffer->CloseFile();
    } catch (const errors::NumberedError&) {
        // The text is abandoned anyway.
    }
}

void QueryFile::appendIonsBlock(double precursorMz, const Peaks& peaks) {
    m_buffer->AppendLine(QStringLiteral("BEGIN IONS"));
    m_buffer->AppendLine(QStringLiteral("PEPMASS=") + numbers::numberText(precursorMz, 15));
    appendPeakLines(peaks);
    m_buffer->AppendLine(QStringLiteral("END IONS"));
    m_buffer->AppendLine(QString());
}

void QueryFile::appendPeakList(const Peaks& peaks) {
    appendPeakLines(peaks);
    m_buffer->AppendLine(QString());
}

void QueryFile::appendPeakLines(const Peaks& peaks) {
    for (const auto& [mz, intensity] : peaks)
        m_buffer->AppendLine(peakLine(mz, intensity));
}

void QueryFile::save() {
    m_buffer->CloseFile();
    m_file.commit();
    m_saved = true;
    m_buffer->SetFilename(m_destination);
}

QString QueryFile::unsavedText() const {
    return m_replacesEarlierFile
               ? QStringLiteral("The earlier query file %1 was left unchanged.").arg(m_destination)
               : QStringLiteral("No query file was written to %1.").arg(m_destination);
}

double QueryFile::progressTotal(const VeskFileInfo& info, std::int32_t sampleIndex, std::int32_t startCycle,
                                std::int32_t endCycle, const CycleSelection& useCycles) {
    double steps = info.getNumCyclesInFirstPeriod();
    if (!info.isDDE()) {
        std::int32_t cycles = 0;
        for (std::int32_t cycle = startCycle; cycle <= endCycle; ++cycle)
            cycles += useCycles.isSelected(cycle) ? 1 : 0;
        steps = static_cast<double>(info.getNumPeriods()) * cycles;
    }
    if (sampleIndex == -1)
        steps *= info.getNumberOfSamples().toInt();
    return steps;
}

QString QueryFile::peakLine(double mz, double intensity) {
    return roundedText(mz) + QLatin1Char(' ') + roundedText(intensity);
}

} // namespace ostrand
