#include "exportacquisition.h"

#include "data/veskfileinfo.h"
#include "export/exportprogress.h"
#include "export/mexportmsmstosorvex.h"
#include "export/queryfile.h"
#include "export/sorvexstringhelper.h"

#include "errors/numberederror.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

using exporttest::cycleList;
using exporttest::DataDependentRun;
using exporttest::parseBlocks;
using exporttest::plainParameters;
using exporttest::QueryBlock;
using ostrand::CycleSelection;
using ostrand::ExportProgress;
using ostrand::MExportMSMSToSorvex;
using ostrand::PendingEvents;
using ostrand::ProcessingParameters;
using ostrand::QueryFile;
using ostrand::SampleLabel;
using ostrand::VeskFileInfo;

namespace {

// Records what the export shows; a window's progress bar and label in real use.
struct RecordingProgress : ExportProgress, SampleLabel {
    double max = 1000;
    double value = 0;
    QStringList captions;
    double Max() const override { return max; }
    double Value() const override { return value; }
    void setValue(double v) override { value = v; }
    void setCaption(const QString& caption) override { captions << caption; }
};

// Presses Cancel while the events before the given cycle are processed.
struct CancelBeforeCycle : PendingEvents {
    CancelBeforeCycle(MExportMSMSToSorvex& e, int c) : exporter(e), cycle(c) {}
    void process() override {
        if (calls++ == cycle)
            exporter.CancelExport();
    }
    MExportMSMSToSorvex& exporter;
    int cycle;
    int calls = 0;
};

class MExportMSMSToSorvexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString write(const DataDependentRun& run, int samples = 1) {
        const QString path = dir.filePath(QStringLiteral("run%1.vesk").arg(++files));
        run.write(path, samples);
        return path;
    }

    // The query blocks of an export of the whole sample (or of the cycles from start to end).
    std::vector<QueryBlock> exportBlocks(const QString& path, std::int32_t start = -1,
                                         std::int32_t end = -1) {
        exporter = std::make_shared<MExportMSMSToSorvex>();
        exporter->GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("query.txt")));
        exporter->DoExportRange(path, 1, params, nullptr, start, end, nullptr);
        return parseBlocks(exporter->GetResultString());
    }

    QTemporaryDir dir;
    int files = 0;
    std::shared_ptr<ProcessingParameters> params = plainParameters();
    std::shared_ptr<MExportMSMSToSorvex> exporter;
};

TEST_F(MExportMSMSToSorvexTest, ScansOfOnePrecursorWithinTheToleranceShareAGroup) {
    const auto shared = exportBlocks(write(DataDependentRun(3).product(0, 500.20).product(1, 500.95)));
    ASSERT_EQ(shared.size(), 1u);
    EXPECT_EQ(shared[0].pepmass, QStringLiteral("500.2"));
    EXPECT_EQ(cycleList(shared[0].title), QStringLiteral("1-2 (Experiment 2)"));
    // The summed peaks carry both scans' intensity.
    EXPECT_EQ(shared[0].peakLines.front(), QStringLiteral("200 200"));

    const auto apart = exportBlocks(write(DataDependentRun(3).product(0, 500.20).product(1, 501.21)));
    ASSERT_EQ(apart.size(), 2u);
    EXPECT_EQ(exporter->numSpectraInResult(), 2);
}

TEST_F(MExportMSMSToSorvexTest, SurveyChargesSplitAndFillGroups) {
    params->setDDEAutoDetermineCharge(-1);
    // 2+ in cycle 0, 3+ in cycle 1, no survey peak in cycle 2: the unknown charge joins the 2+ group.
    const auto split = exportBlocks(write(DataDependentRun(3)
                                              .surveyCluster(0, 600.0, 2)
                                              .product(0, 600.0)
                                              .surveyCluster(1, 600.0, 3)
                                              .product(1, 600.0)
                                              .product(2, 600.0)));
    ASSERT_EQ(split.size(), 2u);
    std::map<QString, QString> cyclesByCharge;
    for (const QueryBlock& block : split)
        cyclesByCharge[block.charge] = cycleList(block.title);
    EXPECT_EQ(cyclesByCharge[QStringLiteral("2+")], QStringLiteral("1, 3 (Experiment 2)"));
    EXPECT_EQ(cyclesByCharge[QStringLiteral("3+")], QStringLiteral("2 (Experiment 2)"));

    // A group of unknown charge takes the charge of the first scan that brings one.
    const auto filled = exportBlocks(
        write(DataDependentRun(2).product(0, 700.0).surveyCluster(1, 700.0, 2).product(1, 700.0)));
    ASSERT_EQ(filled.size(), 1u);
    EXPECT_EQ(filled[0].charge, QStringLiteral("2+"));
    EXPECT_FALSE(filled[0].title.contains(QStringLiteral("Charge not auto determined")));
}

TEST_F(MExportMSMSToSorvexTest, NearbySurveyPeakCorrectsThePrecursor) {
    params->setDDEAutoDetermineCharge(-1);
    const auto near = exportBlocks(write(DataDependentRun(1).surveyCluster(0, 600.08, 2).product(0, 600.0)));
    ASSERT_EQ(near.size(), 1u);
    EXPECT_EQ(near[0].pepmass, QStringLiteral("600.08"));
    EXPECT_EQ(near[0].charge, QStringLiteral("2+"));

    const auto far = exportBlocks(write(DataDependentRun(1).surveyCluster(0, 600.12, 2).product(0, 600.0)));
    ASSERT_EQ(far.size(), 1u);
    EXPECT_EQ(far[0].pepmass, QStringLiteral("600"));
    EXPECT_TRUE(far[0].title.endsWith(QStringLiteral("(Charge not auto determined)")));

    // Without charge determination the survey is not consulted at all.
    params->setDDEAutoDetermineCharge(0);
    const auto off = exportBlocks(write(DataDependentRun(1).surveyCluster(0, 600.08, 2).product(0, 600.0)));
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0].pepmass, QStringLiteral("600"));
}

TEST_F(MExportMSMSToSorvexTest, PrecursorSelectedOnAHeavierIsotopeGetsTheMonoisotopicMz) {
    params->setDDEAutoDetermineCharge(-1);
    struct Case {
        double clusterMz;
        int charge;
        double recordedMz; // near the isotope peak the instrument selected
        const char* pepmass;
    };
    const std::vector<Case> cases = {
        {600.0, 2, 600.0, "600"},  // the monoisotopic peak itself
        {600.0, 2, 600.51, "600"}, // the second isotope
        {600.0, 2, 600.99, "600"}, // the third
        {700.0, 3, 700.33, "700"}, // the second of a 3+ cluster
        {600.0, 4, 600.25, "600"}, // the second of a 4+ cluster
    };
    for (const Case& c : cases) {
        const auto blocks = exportBlocks(
            write(DataDependentRun(1).surveyCluster(0, c.clusterMz, c.charge).product(0, c.recordedMz)));
        ASSERT_EQ(blocks.size(), 1u) << c.recordedMz;
        EXPECT_EQ(blocks[0].pepmass, QString::fromLatin1(c.pepmass)) << c.recordedMz;
    }
}

TEST_F(MExportMSMSToSorvexTest, CoElutingPrecursorsTheSurveyTellsApartAreNeverSummed) {
    // Two 2+ peptides 0.3 m/z apart elute together and are selected alternately, well within the
    // grouping tolerance of 1 m/z; each has fragments of its own. The instrument's recorded m/z of
    // the first drifts by 0.05 and its survey centroid by 4 mDa, within the survey's accuracy.
    struct Case {
        const char* what;
        bool surveyScans;
        bool autoCharge;
        std::size_t queries;
    };
    const std::vector<Case> cases = {
        {"the survey shows both ions", true, true, 2},
        {"no survey scans: grouped by precursor m/z alone", false, true, 1},
        {"charge determination off: the survey is not read", true, false, 1},
    };
    for (const Case& c : cases) {
        DataDependentRun run(4);
        for (int cycle = 0; cycle < 4; ++cycle) {
            if (c.surveyScans)
                run.surveyCluster(cycle, cycle < 2 ? 600.0 : 600.004, 2).surveyCluster(cycle, 600.3, 2, 0.8);
            if (cycle % 2 == 0)
                run.product(cycle, cycle == 0 ? 600.0 : 600.05, 1, 100, 0, 200);
            else
                run.product(cycle, 600.3, 1, 100, 0, 205);
        }
        params->setDDEAutoDetermineCharge(c.autoCharge ? -1 : 0);
        const auto blocks = exportBlocks(write(run));
        ASSERT_EQ(blocks.size(), c.queries) << c.what;
        if (c.queries == 1) {
            EXPECT_EQ(cycleList(blocks[0].title), QStringLiteral("1-4 (Experiment 2)")) << c.what;
            EXPECT_EQ(blocks[0].peakLines.size(), 20) << c.what;
            continue;
        }
        std::map<QString, const QueryBlock*> byPepmass;
        for (const QueryBlock& block : blocks)
            byPepmass[block.pepmass] = &block;
        struct Expected {
            const char* pepmass;
            const char* cycles;
            const char* firstPeak;
        };
        for (const Expected& e : {Expected{"600", "1, 3 (Experiment 2)", "200 200"},
                                  Expected{"600.3", "2, 4 (Experiment 2)", "205 200"}}) {
            const QueryBlock* block = byPepmass[QString::fromLatin1(e.pepmass)];
            ASSERT_NE(block, nullptr) << e.pepmass;
            EXPECT_EQ(block->charge, QStringLiteral("2+"));
            EXPECT_EQ(cycleList(block->title), QString::fromLatin1(e.cycles));
            // Only the peptide's own ten fragments, each summed over its two scans.
            ASSERT_EQ(block->peakLines.size(), 10);
            EXPECT_EQ(block->peakLines.front(), QString::fromLatin1(e.firstPeak));
        }
    }
}

TEST_F(MExportMSMSToSorvexTest, RecordedChargesStandWhereTheSurveyFindsNone) {
    // The product scan reports 600.00123 (its title 600.0012); a 2+ survey cluster sits at 600.
    struct Case {
        const char* what;
        int recordedCharge;
        bool surveyCluster;
        bool autoCharge;
        bool recordedInFile; // what the file information reports
        const char* pepmass;
        const char* charge;
        bool determined;
    };
    const std::vector<Case> cases = {
        {"recorded charge, no survey peak", 3, false, true, true, "600.00123", "3+", true},
        {"the survey charge wins", 3, true, true, true, "600", "2+", true},
        {"charge determination off", 3, true, false, true, "600.0012", "2+", false},
        {"nothing recorded, as before", 0, false, true, false, "600.0012", "2+", false},
        {"nothing recorded, survey charge", 0, true, true, false, "600", "2+", true},
    };
    for (const Case& c : cases) {
        DataDependentRun run(1);
        if (c.surveyCluster)
            run.surveyCluster(0, 600.0, 2);
        const QString path = write(run.product(0, 600.00123, 1, 100, c.recordedCharge));
        VeskFileInfo info;
        info.setFileNameAndIndex(path, 1, 0, 0, -1);
        EXPECT_EQ(info.haveEngineDDEChargeState(), c.recordedInFile) << c.what;
        params->setDDEAutoDetermineCharge(c.autoCharge ? -1 : 0);
        const auto blocks = exportBlocks(path);
        ASSERT_EQ(blocks.size(), 1u) << c.what;
        EXPECT_EQ(blocks[0].pepmass, QString::fromLatin1(c.pepmass)) << c.what;
        EXPECT_EQ(blocks[0].charge, QString::fromLatin1(c.charge)) << c.what;
        EXPECT_EQ(!blocks[0].title.contains(QStringLiteral("Charge not auto determined")), c.determined)
            << c.what;
    }
}

TEST_F(MExportMSMSToSorvexTest, ASurveyExperimentTypedAsAProductScanIsNamed) {
    const QString path = write(DataDependentRun(1)
                                   .surveyCluster(0, 600.0, 2)
                                   .product(0, 600.00123, 1, 100, 3)
                                   .surveyTypedAs(kestrum::TOFProduct));
    params->setDDEAutoDetermineCharge(-1);
    try {
        exportBlocks(path);
        ADD_FAILURE() << "the export succeeded";
    } catch (const errors::NumberedError& error) {
        EXPECT_EQ(
            error.description(),
            QStringLiteral("Experiment 0 of sample 1 (period 0) is typed as a product scan, but its scan in "
                           "cycle 0 records no precursor m/z. It is likely a survey experiment typed as a "
                           "product scan."));
    }
}

TEST_F(MExportMSMSToSorvexTest, FivePlusSurveyClusterGivesItsChargeOrIsDiscarded) {
    params->setDDEAutoDetermineCharge(-1);
    const QString path = write(DataDependentRun(1).surveyCluster(0, 600.0, 5).product(0, 600.0));
    params->setDiscardHighCharges(0);
    const auto kept = exportBlocks(path);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].charge, QStringLiteral("5+"));
    params->setDiscardHighCharges(-1);
    exportBlocks(path);
    EXPECT_EQ(exporter->numSpectraInResult(), 0);
}

TEST_F(MExportMSMSToSorvexTest, GroupsCloseAfterTheMaximumCyclesBetweenScans) {
    const auto joined = exportBlocks(write(DataDependentRun(18).product(5, 500.0).product(16, 500.0)));
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(cycleList(joined[0].title), QStringLiteral("6, 17 (Experiment 2)"));

    const auto closed = exportBlocks(write(DataDependentRun(18).product(5, 500.0).product(17, 500.0)));
    ASSERT_EQ(closed.size(), 2u);
    // The first group is written after cycle 16, before the second one exists.
    EXPECT_EQ(cycleList(closed[0].title), QStringLiteral("6 (Experiment 2)"));
    EXPECT_EQ(cycleList(closed[1].title), QStringLiteral("18 (Experiment 2)"));
}

TEST_F(MExportMSMSToSorvexTest, ExportsOnlyTheChosenCycles) {
    DataDependentRun run(10);
    for (int cycle = 0; cycle < 10; ++cycle)
        run.product(cycle, 400.0 + 10 * cycle);
    const QString path = write(run);

    const auto seventh = exportBlocks(path, 7, 7);
    ASSERT_EQ(seventh.size(), 1u);
    EXPECT_EQ(cycleList(seventh[0].title), QStringLiteral("8 (Experiment 2)"));

    // A selection covers the cycles up to its upper bound; here cycles 1 and 3 of 0 ... 3. The
    // groups still open at the end are written newest first.
    exporter = std::make_shared<MExportMSMSToSorvex>();
    exporter->DoExportSpecificCycles(path, 1, params, nullptr, nullptr,
                                     CycleSelection{0, {false, true, false, true}});
    std::vector<QString> cycles;
    for (const QueryBlock& block : parseBlocks(exporter->GetResultString()))
        cycles.push_back(cycleList(block.title));
    EXPECT_EQ(cycles,
              (std::vector<QString>{QStringLiteral("4 (Experiment 2)"), QStringLiteral("2 (Experiment 2)")}));

    // A cycle below a selection's lower bound is outside it.
    EXPECT_THROW(
        exporter->DoExportPrivate(path, 1, params, nullptr, 1, 3, nullptr, CycleSelection{2, {true}}),
        errors::NumberedError);
}

TEST_F(MExportMSMSToSorvexTest, CancelLeavesOpenGroupsUnwritten) {
    params->setMSMSAveMaxCycBetween(0);
    DataDependentRun run(6);
    for (int cycle = 0; cycle < 6; ++cycle)
        run.product(cycle, 400.0 + 10 * cycle);
    const QString path = write(run);
    exporter = std::make_shared<MExportMSMSToSorvex>();
    exporter->setPendingEvents(std::make_shared<CancelBeforeCycle>(*exporter, 3));
    exporter->DoExportRange(path, 1, params, nullptr, -1, -1, nullptr);

    EXPECT_TRUE(exporter->wasCancelled());
    // Cycles 0 to 2 ran; the groups of cycles 0 and 1 were closed, that of cycle 2 stays open.
    EXPECT_EQ(exporter->numSpectraInResult(), 2);
    EXPECT_EQ(parseBlocks(exporter->GetResultString()).size(), 2u);
}

TEST_F(MExportMSMSToSorvexTest, AllSamplesAdvanceProgressAndShowEachSampleName) {
    const QString path = write(DataDependentRun(4).product(1, 500.0).product(2, 650.0, 2), 2);
    RecordingProgress progress;
    exporter = std::make_shared<MExportMSMSToSorvex>();
    exporter->DoExportRange(path, -1, params, &progress, -1, -1, &progress);
    EXPECT_EQ(progress.captions, (QStringList{QStringLiteral("Sample 1"), QStringLiteral("Sample 2")}));
    EXPECT_EQ(progress.value, 8);
    EXPECT_EQ(exporter->numSpectraInResult(), 4);

    // Exporting from cycle 3 counts the cycles before it as done; the count stops at its maximum.
    progress = RecordingProgress();
    progress.max = 5;
    exporter->DoExport(path, 2, params, &progress, 3);
    EXPECT_EQ(progress.value, 4);
    exporter->DoExport(path, 2, params, &progress, 3);
    EXPECT_EQ(progress.value, 5);
}

// Two periods with two product experiments of fixed precursors each, five cycles; the scan of
// cycle c has intensity c + 1, so a sum over cycles 1 ... 3 gives 9.
QString writeFixedPrecursorRun(const QString& path) {
    kestrum::VeskWriter writer(path);
    const int sample = writer.addSample(QStringLiteral("Fixed"));
    for (int period = 0; period < 2; ++period) {
        writer.addPeriod(sample);
        for (int e = 0; e < 2; ++e)
            writer.addExperiment(sample, period, {kestrum::ProductScan, 0, 500.0 + 100 * e});
        for (int cycle = 0; cycle < 5; ++cycle) {
            writer.addCycle(sample, period, 100 * period + 2 * cycle);
            for (int e = 0; e < 2; ++e) {
                kestrum::ScanRecord scan{
                    sample,          period, e,    cycle,      100.0 * period + 2 * cycle + e,
                    500.0 + 100 * e, 0,      true, {200, 300}, {cycle + 1.0, cycle + 1.0}};
                writer.addScan(scan);
            }
        }
    }
    writer.commit();
    return path;
}

// The progress total a query file gives its export's bar is the count the export reaches, so the
// bar ends full: for a data-dependent run the cycles of the run, for fixed precursors one step per
// period (a whole run) or per cycle of each period, for every sample when all are exported.
TEST_F(MExportMSMSToSorvexTest, TheQueryFilesProgressTotalIsWhatTheExportCounts) {
    const QString dataDependent = write(DataDependentRun(4).product(1, 500.0).product(2, 650.0, 2), 2);
    const QString fixed = writeFixedPrecursorRun(dir.filePath(QStringLiteral("fixed.vesk")));
    const struct {
        const char* what;
        QString path;
        std::int32_t sample;
        std::int32_t start;
        std::int32_t end;
        double total;
    } cases[] = {
        {"data-dependent, one sample", dataDependent, 1, -1, -1, 4},
        {"data-dependent, every sample", dataDependent, -1, -1, -1, 8},
        {"data-dependent, cycles 1 to 3", dataDependent, 2, 1, 3, 4},
        {"fixed precursors, the whole run", fixed, 1, -1, -1, 2},
        {"fixed precursors, cycles 1 to 3", fixed, 1, 1, 3, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        VeskFileInfo info;
        info.setFileNameAndIndex(c.path, c.sample == -1 ? 1 : c.sample, 0, 0, 0);
        const double total = QueryFile::progressTotal(info, c.sample, c.start, c.end, CycleSelection());
        EXPECT_EQ(total, c.total);
        RecordingProgress progress;
        progress.max = 1000;
        MExportMSMSToSorvex counted;
        counted.DoExportRange(c.path, c.sample, params, &progress, c.start, c.end, nullptr);
        EXPECT_EQ(progress.value, total);
    }
}

TEST_F(MExportMSMSToSorvexTest, FixedPrecursorExperimentsAreSummedOverTheRun) {
    const QString path = writeFixedPrecursorRun(dir.filePath(QStringLiteral("fixed.vesk")));
    const auto summed = exportBlocks(path);
    ASSERT_EQ(summed.size(), 4u);
    for (const QueryBlock& block : summed) {
        EXPECT_TRUE(cycleList(block.title).startsWith(QStringLiteral("2-4 (Experiment")));
        EXPECT_EQ(block.peakLines, (QStringList{QStringLiteral("200 9"), QStringLiteral("300 9")}));
    }
    EXPECT_EQ(summed[1].pepmass, QStringLiteral("600"));
    EXPECT_TRUE(summed[3].title.contains(QStringLiteral("Period: 2")));

    const auto one = exportBlocks(path, 2, 2);
    ASSERT_EQ(one.size(), 4u);
    EXPECT_EQ(one[0].peakLines.front(), QStringLiteral("200 3"));
}

} // namespace

// Another acquisition renamed into the exported one's place halfway through changes nothing: the
// export reads the file it started with to its end, in every sample.
TEST_F(MExportMSMSToSorvexTest, AFileRenamedIntoPlaceDuringTheExportIsNotRead) {
    struct RenameBeforeCycle : PendingEvents {
        RenameBeforeCycle(QString f, QString t) : from(std::move(f)), to(std::move(t)) {}
        void process() override {
            if (calls++ == 3) {
                EXPECT_EQ(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()),
                          0);
            }
        }
        QString from, to;
        int calls = 0;
    };
    DataDependentRun original(6), replacement(6);
    for (int cycle = 0; cycle < 6; ++cycle) {
        original.product(cycle, 400.0 + 10 * cycle);
        replacement.product(cycle, 700.0 + 10 * cycle);
    }
    const QString path = write(original, 2);
    const auto blocksOf = [this](const QString& file, std::shared_ptr<PendingEvents> events) {
        exporter = std::make_shared<MExportMSMSToSorvex>();
        exporter->GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("query.txt")));
        exporter->setPendingEvents(std::move(events));
        exporter->DoExportRange(file, -1, params, nullptr, -1, -1, nullptr);
        return exporter->GetResultString();
    };
    const QString expected = blocksOf(path, std::make_shared<ostrand::ApplicationPendingEvents>());
    ASSERT_EQ(parseBlocks(expected).size(), 12u);
    EXPECT_EQ(blocksOf(path, std::make_shared<RenameBeforeCycle>(write(replacement, 2), path)), expected);
}
