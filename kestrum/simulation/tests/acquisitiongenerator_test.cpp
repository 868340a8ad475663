#include "kestrum/simulation/acquisitiongenerator.h"
#include "kestrum/simulation/peptidechemistry.h"

#include "errors/numberederror.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

using namespace kestrum::simulation;

namespace {

using Position = std::tuple<int, int, int, int>; // sample, period, experiment, cycle

class AcquisitionGeneratorTest : public ::testing::Test {
protected:
    GenerationOptions optionsFor(const QString& name) const {
        GenerationOptions options;
        options.outputPath = m_folder.filePath(name);
        options.minutes = 1;
        return options;
    }

    static QJsonObject readTruth(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return document.object();
    }

    static std::map<Position, QJsonObject> truthByPosition(const QJsonObject& truth) {
        std::map<Position, QJsonObject> scans;
        for (const QJsonValue& value : truth[QStringLiteral("productScans")].toArray()) {
            const QJsonObject scan = value.toObject();
            scans[{scan[QStringLiteral("sample")].toInt(), scan[QStringLiteral("period")].toInt(),
                   scan[QStringLiteral("experiment")].toInt(), scan[QStringLiteral("cycle")].toInt()}] = scan;
        }
        return scans;
    }

    // Every product scan in the file has its answer, whose precursor and strong fragments are
    // what the scan shows. Returns the number of product scans.
    static int checkProductScansAgainstTruth(const kestrum::VeskFile& file, const QJsonObject& truth) {
        const std::map<Position, QJsonObject> answers = truthByPosition(truth);
        int products = 0;
        for (int sample = 1; sample <= file.SampleCount(); ++sample)
            for (int period = 0; period < file.PeriodCount(sample); ++period)
                for (int experiment = 0; experiment < file.ExperimentCount(sample, period); ++experiment) {
                    if (!kestrum::isProductScanType(
                            file.Experiment(sample, period, experiment)->ScanTypeCode()))
                        continue;
                    for (int cycle = 0; cycle < file.CycleCount(sample, period); ++cycle) {
                        const auto scan = file.scan(sample, period, experiment, cycle);
                        if (!scan)
                            continue;
                        ++products;
                        const auto answer = answers.find({sample, period, experiment, cycle});
                        if (answer == answers.end()) {
                            ADD_FAILURE() << "no answer for a product scan";
                            continue;
                        }
                        EXPECT_NEAR(*scan->precursorMz,
                                    answer->second[QStringLiteral("isolatedMz")].toDouble(), 1e-6);
                        checkStrongFragmentsRecorded(*scan, answer->second);
                    }
                }
        EXPECT_EQ(products, static_cast<int>(answers.size()));
        return products;
    }

    static void checkStrongFragmentsRecorded(const kestrum::ScanRecord& scan, const QJsonObject& answer) {
        const double noise = answer[QStringLiteral("noiseLevel")].toDouble();
        for (const QJsonValue& value : answer[QStringLiteral("fragments")].toArray()) {
            const QJsonObject fragment = value.toObject();
            const double mz = fragment[QStringLiteral("mz")].toDouble();
            const double height = fragment[QStringLiteral("height")].toDouble();
            if (height < 20 * noise)
                continue;
            double recorded = 0;
            for (std::size_t i = 0; i < scan.mz.size(); ++i)
                if (std::abs(scan.mz[i] - mz) <= mz / 30000)
                    recorded = std::max(recorded, scan.intensity[i]);
            EXPECT_GT(recorded, 0.5 * height) << fragment[QStringLiteral("ion")].toString().toStdString();
        }
    }

    QStringList filesLeft() const {
        return QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_folder;
};

TEST_F(AcquisitionGeneratorTest, SameSeedGivesTheSameAcquisition) {
    GenerationOptions options = optionsFor(QStringLiteral("first.vesk"));
    options.minutes = 0.5;
    generateAcquisition(options);
    options.outputPath = m_folder.filePath(QStringLiteral("second.vesk"));
    generateAcquisition(options);
    options.outputPath = m_folder.filePath(QStringLiteral("other.vesk"));
    options.seed = 2;
    generateAcquisition(options);

    QFile first(truthPathFor(m_folder.filePath(QStringLiteral("first.vesk"))));
    QFile second(truthPathFor(m_folder.filePath(QStringLiteral("second.vesk"))));
    QFile other(truthPathFor(m_folder.filePath(QStringLiteral("other.vesk"))));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly) &&
                other.open(QIODevice::ReadOnly));
    // The files differ only in the name of the protein list beside them.
    auto scansOf = [](QFile& file) {
        const QByteArray text = file.readAll();
        return text.mid(text.indexOf("\"productScans\""));
    };
    const QByteArray firstScans = scansOf(first);
    EXPECT_GT(firstScans.size(), 1000);
    EXPECT_EQ(firstScans, scansOf(second));
    EXPECT_NE(firstScans, scansOf(other));

    const auto a = kestrum::VeskFile::open(m_folder.filePath(QStringLiteral("first.vesk")));
    const auto b = kestrum::VeskFile::open(m_folder.filePath(QStringLiteral("second.vesk")));
    ASSERT_EQ(a->CycleCount(1, 0), b->CycleCount(1, 0));
    for (int cycle = 0; cycle < a->CycleCount(1, 0); cycle += 7)
        for (int experiment = 0; experiment < a->ExperimentCount(1, 0); ++experiment) {
            const auto scanA = a->scan(1, 0, experiment, cycle);
            const auto scanB = b->scan(1, 0, experiment, cycle);
            ASSERT_EQ(scanA.has_value(), scanB.has_value());
            if (scanA) {
                EXPECT_EQ(scanA->mz, scanB->mz);
                EXPECT_EQ(scanA->intensity, scanB->intensity);
            }
        }
}

TEST_F(AcquisitionGeneratorTest, DataDependentRunLayout) {
    GenerationOptions options = optionsFor(QStringLiteral("dda.vesk"));
    const GenerationResult result = generateAcquisition(options);
    const auto file = kestrum::VeskFile::open(result.acquisitionPath);
    ASSERT_EQ(file->SampleCount(), 1);
    ASSERT_EQ(file->PeriodCount(1), 1);
    ASSERT_EQ(file->ExperimentCount(1, 0), 1 + options.topN);
    for (int experiment = 0; experiment <= options.topN; ++experiment) {
        const auto definition = file->Experiment(1, 0, experiment);
        EXPECT_EQ(definition->ScanTypeCode(), experiment == 0 ? kestrum::TOFMS : kestrum::TOFProduct);
        EXPECT_EQ(definition->FixedMass(), 0.0);
        EXPECT_EQ(definition->Polarity(), 0);
    }
    // A survey scan in every cycle; product scans fill experiments from 1 without gaps.
    const int cycles = file->CycleCount(1, 0);
    EXPECT_GE(cycles, 60);
    EXPECT_EQ(file->scanCount(1, 0, 0), cycles);
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const auto survey = file->scan(1, 0, 0, cycle);
        ASSERT_TRUE(survey);
        EXPECT_FALSE(survey->precursorMz);
        EXPECT_FALSE(survey->centroided);
        bool gap = false;
        for (int experiment = 1; experiment <= options.topN; ++experiment) {
            const bool present = file->scan(1, 0, experiment, cycle).has_value();
            EXPECT_FALSE(present && gap) << "cycle " << cycle;
            gap = gap || !present;
        }
    }

    const QJsonObject truth = readTruth(result.truthPath);
    const int products = checkProductScansAgainstTruth(*file, truth);
    EXPECT_EQ(products, result.productScans);
    EXPECT_EQ(truth[QStringLiteral("productScanCount")].toInt(), products);
    // Most cycles fragment the full number of precursors.
    EXPECT_GT(products, cycles * options.topN * 8 / 10);

    // About 15 % of precursors are isolated on their second isotope, whatever their mass.
    int secondIsotope = 0;
    for (const QJsonValue& value : truth[QStringLiteral("productScans")].toArray()) {
        const QJsonObject scan = value.toObject();
        const double mass = peptideMass(scan[QStringLiteral("peptide")].toString());
        const int charge = scan[QStringLiteral("charge")].toInt();
        EXPECT_NEAR(scan[QStringLiteral("monoisotopicMz")].toDouble(), (mass + charge * ProtonMass) / charge,
                    1e-5);
        secondIsotope += scan[QStringLiteral("isolatedIsotope")].toInt();
    }
    EXPECT_GT(secondIsotope, products / 20);
    EXPECT_LT(secondIsotope, products * 3 / 10);
    EXPECT_TRUE(QFile::exists(result.fastaPath));
}

TEST_F(AcquisitionGeneratorTest, FragmentedPrecursorsAreExcludedForTheExclusionTime) {
    GenerationOptions options = optionsFor(QStringLiteral("exclusion.vesk"));
    options.exclusionSeconds = 5;
    const GenerationResult result = generateAcquisition(options);
    const QJsonArray scans = readTruth(result.truthPath)[QStringLiteral("productScans")].toArray();
    // Scans of one cycle lie less than a second apart, after the cycle's survey scan.
    int repeats = 0;
    for (qsizetype i = 0; i < scans.size(); ++i) {
        const QJsonObject a = scans[i].toObject();
        for (qsizetype j = i + 1; j < scans.size(); ++j) {
            const QJsonObject b = scans[j].toObject();
            const double apart = b[QStringLiteral("retentionTimeSeconds")].toDouble() -
                                 a[QStringLiteral("retentionTimeSeconds")].toDouble();
            if (apart > options.exclusionSeconds + 1)
                break;
            const double mzApart = std::abs(b[QStringLiteral("isolatedMz")].toDouble() -
                                            a[QStringLiteral("isolatedMz")].toDouble());
            // Within the exclusion time no precursor comes back within the exclusion tolerance of 0.05,
            // less the few ppm by which each reported m/z is off.
            if (apart < options.exclusionSeconds - 1)
                ASSERT_GT(mzApart, 0.03) << "scans " << i << " and " << j;
            else if (mzApart < 0.01) // the same precursor, reported within a few ppm
                ++repeats;
        }
    }
    // Once the exclusion ends, a precursor still eluting is fragmented again.
    EXPECT_GT(repeats, 10);
}

// Near-isobaric peptides of one charge elute together and both are fragmented: peptide pairs 0.1 to
// 1 m/z apart fragmented within 3 cycles of each other are far more common than such pairs
// fragmented 30 to 33 cycles apart, which only chance brings together.
TEST_F(AcquisitionGeneratorTest, NearIsobaricPeptidesEluteTogetherAndAreBothFragmented) {
    GenerationOptions options = optionsFor(QStringLiteral("pairs.vesk"));
    options.minutes = 3;
    const QJsonArray scans =
        readTruth(generateAcquisition(options).truthPath)[QStringLiteral("productScans")].toArray();
    std::set<std::pair<QString, QString>> together, apart;
    for (qsizetype i = 0; i < scans.size(); ++i) {
        const QJsonObject a = scans[i].toObject();
        for (qsizetype j = i + 1; j < scans.size(); ++j) {
            const QJsonObject b = scans[j].toObject();
            const int cycles = b[QStringLiteral("cycle")].toInt() - a[QStringLiteral("cycle")].toInt();
            if (cycles > 33)
                break;
            const QString first = a[QStringLiteral("peptide")].toString();
            const QString second = b[QStringLiteral("peptide")].toString();
            const double mz = std::abs(a[QStringLiteral("monoisotopicMz")].toDouble() -
                                       b[QStringLiteral("monoisotopicMz")].toDouble());
            if (first == second || a[QStringLiteral("charge")] != b[QStringLiteral("charge")] || mz <= 0.1 ||
                mz > 1.0)
                continue;
            if (cycles <= 3)
                together.insert(std::minmax(first, second));
            else if (cycles >= 30)
                apart.insert(std::minmax(first, second));
        }
    }
    EXPECT_GE(together.size(), 20u);
    EXPECT_GE(2 * together.size(), 3 * apart.size());
}

TEST_F(AcquisitionGeneratorTest, FixedPrecursorSamplesInPeriodsNegativeAndCentroided) {
    GenerationOptions options = optionsFor(QStringLiteral("fixed.vesk"));
    options.mode = AcquisitionMode::FixedPrecursor;
    options.samples = 2;
    options.periods = 3;
    options.experiments = 4;
    options.negative = true;
    options.centroid = true;
    const GenerationResult result = generateAcquisition(options);
    const auto file = kestrum::VeskFile::open(result.acquisitionPath);
    ASSERT_EQ(file->SampleCount(), 2);
    EXPECT_EQ(file->SampleName(2), QStringLiteral("Synthetic sample 2"));
    const QJsonObject truth = readTruth(result.truthPath);
    const std::map<Position, QJsonObject> answers = truthByPosition(truth);
    for (int sample = 1; sample <= 2; ++sample) {
        ASSERT_EQ(file->PeriodCount(sample), 3);
        for (int period = 0; period < 3; ++period) {
            ASSERT_EQ(file->ExperimentCount(sample, period), 4);
            // Periods follow one another in time.
            if (period > 0) {
                EXPECT_GT(file->CycleTime(sample, period, 0, 0),
                          file->CycleTime(sample, period - 1, 0, file->CycleCount(sample, period - 1) - 1));
            }
            for (int experiment = 0; experiment < 4; ++experiment) {
                const auto definition = file->Experiment(sample, period, experiment);
                EXPECT_EQ(definition->ScanTypeCode(), kestrum::TOFProduct);
                EXPECT_EQ(definition->Polarity(), 1);
                EXPECT_GE(definition->FixedMass(), 31.0);
                const auto scan = file->scan(sample, period, experiment, 0);
                ASSERT_TRUE(scan);
                EXPECT_TRUE(scan->centroided);
                EXPECT_EQ(*scan->precursorMz, definition->FixedMass());
                const QJsonObject& answer = answers.at({sample, period, experiment, 0});
                const double mass = peptideMass(answer[QStringLiteral("peptide")].toString());
                const int charge = answer[QStringLiteral("charge")].toInt();
                // Negative ions have lost their protons.
                EXPECT_NEAR(definition->FixedMass(), (mass - charge * ProtonMass) / charge, 1e-5);
            }
        }
    }
    EXPECT_EQ(checkProductScansAgainstTruth(*file, truth), result.productScans);
    EXPECT_EQ(result.surveyScans, 0);
    // Each experiment's precursor elutes during its period, so some of its scans show fragments.
    std::map<std::tuple<int, int, int>, qsizetype> mostFragments;
    for (const auto& [position, answer] : answers) {
        qsizetype& most =
            mostFragments[{std::get<0>(position), std::get<1>(position), std::get<2>(position)}];
        most = std::max(most, answer[QStringLiteral("fragments")].toArray().size());
    }
    EXPECT_EQ(mostFragments.size(), 2u * 3u * 4u);
    for (const auto& [experiment, most] : mostFragments)
        EXPECT_GE(most, 5);
}

TEST_F(AcquisitionGeneratorTest, NothingIsLeftBehindWhenAnOutputCannotBeWritten) {
    GenerationOptions options = optionsFor(QStringLiteral("missing/run.vesk"));
    EXPECT_THROW(generateAcquisition(options), errors::NumberedError);
    EXPECT_TRUE(filesLeft().isEmpty());

    // The truth file's name is taken by a folder: the acquisition must not appear without it.
    options = optionsFor(QStringLiteral("run.vesk"));
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("run.truth.json")));
    EXPECT_THROW(generateAcquisition(options), errors::NumberedError);
    EXPECT_EQ(filesLeft(), QStringList{QStringLiteral("run.truth.json")});
}

TEST_F(AcquisitionGeneratorTest, OptionsOutsideTheirRangeAreRejectedWithTheReason) {
    auto reasonFor = [this](const std::function<void(GenerationOptions&)>& change) {
        GenerationOptions options = optionsFor(QStringLiteral("bad.vesk"));
        change(options);
        try {
            generateAcquisition(options);
        } catch (const errors::NumberedError& error) {
            return error.description();
        }
        return QString();
    };
    EXPECT_TRUE(
        reasonFor([](GenerationOptions& o) { o.periods = 2; }).contains(QStringLiteral("one period")));
    EXPECT_TRUE(
        reasonFor([](GenerationOptions& o) { o.minutes = 0; }).contains(QStringLiteral("run length")));
    EXPECT_TRUE(
        reasonFor([](GenerationOptions& o) { o.topN = 0; }).contains(QStringLiteral("product scans")));
    EXPECT_TRUE(reasonFor([](GenerationOptions& o) {
                    o.mode = AcquisitionMode::FixedPrecursor;
                    o.periods = 1000;
                }).contains(QStringLiteral("periods")));
    EXPECT_TRUE(filesLeft().isEmpty());
}

TEST(GenerationPaths, CompanionFilesSitBesideTheAcquisition) {
    EXPECT_EQ(truthPathFor(QStringLiteral("/data/run.vesk")), QStringLiteral("/data/run.truth.json"));
    EXPECT_EQ(fastaPathFor(QStringLiteral("/data/run.VESK")), QStringLiteral("/data/run.fasta"));
    EXPECT_EQ(fastaPathFor(QStringLiteral("/data/run")), QStringLiteral("/data/run.fasta"));
}

} // namespace
