#pragma once
// Acquisitions for the export tests, written with the real Vesk writer, and a reader of the query
// blocks the exports write.

#include "settings/processingparameters.h"

#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace exporttest {

// A data-dependent run of one period: experiment 0 a centroided TOF MS survey scan, experiments
// 1 ... n product scans whose precursor the acquisition chose (fixed mass 0). Cycle c starts at c
// seconds. Only the scans a test adds are recorded.
class DataDependentRun {
public:
    explicit DataDependentRun(int cycles, int productExperiments = 2)
        : m_cycles(cycles), m_productExperiments(productExperiments) {}

    // A product scan of ten peaks (m/z `firstFragment`, +10, ... at `intensity`) of the precursor,
    // with the precursor charge the instrument recorded (0: none).
    DataDependentRun& product(int cycle, double precursorMz, int experiment = 1, double intensity = 100,
                              int recordedCharge = 0, double firstFragment = 200) {
        kestrum::ScanRecord scan = record(cycle, experiment);
        scan.precursorMz = precursorMz;
        scan.precursorCharge = recordedCharge;
        for (int i = 0; i < 10; ++i) {
            scan.mz.push_back(firstFragment + 10 * i);
            scan.intensity.push_back(intensity);
        }
        m_scans.push_back(scan);
        return *this;
    }

    // A survey scan holding a three-peak isotope cluster of the charge from `mz` up, its heights
    // those of a peptide of that mass (times `scale`), below five singly charged pairs at m/z
    // 300 ... 380 that make the peak list read as accurate data, in which charges up to 8 can be
    // told apart. A second cluster in the same cycle joins the first one's survey scan.
    DataDependentRun& surveyCluster(int cycle, double mz, int charge, double scale = 1) {
        auto survey = std::find_if(m_scans.begin(), m_scans.end(), [cycle](const kestrum::ScanRecord& scan) {
            return scan.cycle == cycle && scan.experiment == 0;
        });
        if (survey == m_scans.end()) {
            kestrum::ScanRecord scan = record(cycle, 0);
            for (int pair = 0; pair < 5; ++pair) {
                scan.mz.insert(scan.mz.end(), {300.0 + 20 * pair, 300.0 + 20 * pair + 1.00335});
                scan.intensity.insert(scan.intensity.end(), {500, 100});
            }
            m_scans.push_back(scan);
            survey = m_scans.end() - 1;
        }
        // From 3000 Da the second isotope outgrows the first.
        std::vector<double> heights{700, 1000, 800};
        if (charge == 2)
            heights = {1000, 650, 250};
        else if (charge <= 4)
            heights = {1000, 950, 500};
        std::map<double, double> points;
        for (std::size_t i = 0; i < survey->mz.size(); ++i)
            points[survey->mz[i]] = survey->intensity[i];
        for (int isotope = 0; isotope < 3; ++isotope)
            points[mz + isotope * 1.00335 / charge] = scale * heights[static_cast<std::size_t>(isotope)];
        survey->mz.clear();
        survey->intensity.clear();
        for (const auto& [x, y] : points) {
            survey->mz.push_back(x);
            survey->intensity.push_back(y);
        }
        return *this;
    }

    // Types the survey experiment (experiment 0) with another scan type code.
    DataDependentRun& surveyTypedAs(int scanType) {
        m_surveyScanType = scanType;
        return *this;
    }

    // Writes the run as each of `samples` samples ("Sample 1", ...).
    void write(const QString& path, int samples = 1) const {
        kestrum::VeskWriter writer(path);
        for (int s = 0; s < samples; ++s) {
            const int sample = writer.addSample(QStringLiteral("Sample %1").arg(s + 1));
            writer.addPeriod(sample);
            writer.addExperiment(sample, 0, {m_surveyScanType, 0, 0});
            for (int e = 0; e < m_productExperiments; ++e)
                writer.addExperiment(sample, 0, {kestrum::TOFProduct, 0, 0});
            for (int cycle = 0; cycle < m_cycles; ++cycle)
                writer.addCycle(sample, 0, cycle);
            for (kestrum::ScanRecord scan : m_scans) {
                scan.sample = sample;
                writer.addScan(scan);
            }
        }
        writer.commit();
    }

private:
    static kestrum::ScanRecord record(int cycle, int experiment) {
        kestrum::ScanRecord scan;
        scan.cycle = cycle;
        scan.experiment = experiment;
        scan.retentionTimeSeconds = cycle + 0.1 * (experiment + 1);
        scan.centroided = true;
        return scan;
    }

    int m_cycles;
    int m_productExperiments;
    int m_surveyScanType = kestrum::TOFMS;
    std::vector<kestrum::ScanRecord> m_scans;
};

// Parameters that keep the tests' peaks as they are (no centroiding or threshold, one peak is
// enough), group within 1.0 m/z over up to 10 cycles, and search unknown charges as 2+ only.
inline std::shared_ptr<ostrand::ProcessingParameters> plainParameters() {
    auto params = std::make_shared<ostrand::ProcessingParameters>();
    params->setMSMSCentroidEnable(0);
    params->setMSMSThresholdInPercent(false);
    params->setMSMSAveNeedXPeaks(1);
    params->setMSMSAveMinCyclesPerGp(1);
    params->setMSMSAvePrecursorTol(1.0);
    params->setMSMSAveMaxCycBetween(10);
    params->setDDEAutoDetermineCharge(0);
    for (std::int16_t charge = 1; charge <= 5; ++charge)
        params->setDefaultChargeStates(charge, charge == 2 ? -1 : 0);
    return params;
}

// One written query block.
struct QueryBlock {
    QString pepmass;
    QString charge; // "" when the block has no CHARGE line
    QString title;
    QStringList peakLines;
};

inline std::vector<QueryBlock> parseBlocks(const QString& text) {
    std::vector<QueryBlock> blocks;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (line == QStringLiteral("BEGIN IONS"))
            blocks.emplace_back();
        else if (blocks.empty() || line == QStringLiteral("END IONS") || line.isEmpty())
            continue;
        else if (line.startsWith(QStringLiteral("PEPMASS=")))
            blocks.back().pepmass = line.mid(8);
        else if (line.startsWith(QStringLiteral("CHARGE=")))
            blocks.back().charge = line.mid(7);
        else if (line.startsWith(QStringLiteral("TITLE=")))
            blocks.back().title = line.mid(6);
        else
            blocks.back().peakLines << line;
    }
    return blocks;
}

// The "Cycle(s): ..." part of a title.
inline QString cycleList(const QString& title) {
    static const QRegularExpression cycles(QStringLiteral("Cycle\\(s\\): ([^(]*\\(Experiment \\d+\\))"));
    return cycles.match(title).captured(1);
}

} // namespace exporttest
