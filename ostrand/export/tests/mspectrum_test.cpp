#include "data/veskfileinfo.h"
#include "export/mspectrum.h"
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"
#include "testsupport/privatesettingsfolder.h"

#include "errors/numberederror.h"
#include "kestrum/centroidablespectrum.h"
#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"

#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

using errors::NumberedError;
using ostrand::MSpectrum;
using ostrand::ProcessingParameters;
using ostrand::VeskFileInfo;

namespace {

// A file with two one-period samples: "Digest A" in positive mode and a negative one whose name
// holds line breaks, a terminal escape sequence and a NUL; each has a survey and two product experiments and
// no scans (titles and polarity come from the file, the spectra from the tests).
class MSpectrumTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("run7.vesk"));
        kestrum::VeskWriter writer(path);
        for (const auto& [name, polarity] : {std::pair{QStringLiteral("Digest A"), 0},
                                             std::pair{QStringLiteral("Neg\r\nr\nu\rn\x1b[2J\0end"), 1}}) {
            const int sample = writer.addSample(name);
            writer.addPeriod(sample);
            writer.addExperiment(sample, 0, {kestrum::TOFMS, polarity, 0});
            writer.addExperiment(sample, 0, {kestrum::TOFProduct, polarity, 0});
            writer.addExperiment(sample, 0, {kestrum::TOFProduct, polarity, 0});
            writer.addCycle(sample, 0, 0.0);
        }
        writer.commit();
    }

    // A spectrum group of the given sample with parameters read from the stored settings.
    std::unique_ptr<MSpectrum> group(double parentMZ, std::int16_t charge, int sample = 1) {
        params = std::make_shared<ProcessingParameters>();
        params->SetInfoFromRegistry();
        params->setMSMSCentroidEnable(0); // the tests hand in peak lists
        auto info = std::make_shared<VeskFileInfo>();
        info->setFileNameAndIndex(path, sample, 0, 0, 0);
        auto spectrum = std::make_unique<MSpectrum>();
        spectrum->SetInfo2(parentMZ, charge, params, info);
        return spectrum;
    }

    static MSpectrum::Spectrum peaks(std::vector<double> mz, std::vector<double> intensity) {
        auto spectrum = std::make_shared<kestrum::CentroidableSpectrum>(std::move(mz), std::move(intensity));
        spectrum->SetCentroided(true);
        return spectrum;
    }

    // n peaks from m/z 200 up, 10 apart, intensity 100.
    static MSpectrum::Spectrum evenPeaks(int n) {
        std::vector<double> mz, intensity;
        for (int i = 0; i < n; ++i) {
            mz.push_back(200.0 + 10 * i);
            intensity.push_back(100.0);
        }
        return peaks(mz, intensity);
    }

    static void store(const char* name, const char* value) {
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QString::fromLatin1(name),
                                    QString::fromLatin1(value));
    }

    testsupport::PrivateSettingsFolder settings;
    QTemporaryDir dir;
    QString path;
    std::shared_ptr<ProcessingParameters> params;
};

int count(const QString& text, const QString& part) {
    return static_cast<int>(text.count(part));
}

} // namespace

TEST_F(MSpectrumTest, CycleRunsAreListedPerExperimentCountingFromOne) {
    auto spectrum = group(500.0, 2);
    spectrum->AddSpectrum(evenPeaks(3), 10, 60.0, 0, 0);
    for (int cycle : {11, 12, 20})
        spectrum->AddSpectrum(evenPeaks(3), cycle, 60.0 + cycle, 0, 0);
    EXPECT_EQ(spectrum->GetCycleListText(), QStringLiteral("Cycle(s): 11-13, 21 (Experiment 1)"));
    EXPECT_EQ(spectrum->GetLastCycle(), 20);

    auto single = group(500.0, 2);
    single->AddSpectrum(evenPeaks(3), 0, 60.0, 0, 0);
    EXPECT_EQ(single->GetCycleListText(), QStringLiteral("Cycle(s): 1 (Experiment 1)"));

    auto twoExperiments = group(500.0, 2);
    for (int cycle : {4, 5, 6, 9})
        twoExperiments->AddSpectrum(evenPeaks(3), cycle, 60.0, 0, 1);
    twoExperiments->AddSpectrum(evenPeaks(3), 2, 60.0, 0, 0);
    EXPECT_EQ(twoExperiments->GetCycleListText(),
              QStringLiteral("Cycle(s): 3 (Experiment 1), 5-7, 10 (Experiment 2)"));
}

TEST_F(MSpectrumTest, NewTitleNamesFileSampleElutionPeriodAndCycles) {
    auto spectrum = group(523.78, 0);
    spectrum->AddSummedSpectrum2(evenPeaks(3), 1892, 1895, 1891.98, 1896.0, 0, 2);
    EXPECT_EQ(
        spectrum->GetQueryTitle(),
        QStringLiteral("File: run7.vesk, Sample: Digest A (sample number 1), Elution: 31.533 to 31.6 min, "
                       "Period: 1, Cycle(s): 1893-1896 (Experiment 3) (Charge not auto determined)"));
    auto negative = group(523.78, 2, 2);
    negative->AddSpectrum(evenPeaks(3), 0, 30.0, 0, 1);
    EXPECT_EQ(
        negative->GetQueryTitle(),
        QStringLiteral(
            "File: run7.vesk, Sample: Neg_r_u_n_[2J_end (sample number 2), Elution: 0.5 min, Period: 1, "
            "Cycle(s): 1 (Experiment 2)"));
}

TEST_F(MSpectrumTest, OldTitleLayoutCountsFromZero) {
    store("UseOldQueryTitles", "1");
    auto spectrum = group(523.78, 0);
    spectrum->AddSpectrum(evenPeaks(3), 3, 90.0, 0, 1);
    spectrum->AddSpectrum(evenPeaks(3), 4, 93.0, 0, 1);
    EXPECT_EQ(spectrum->GetQueryTitle(),
              QStringLiteral("Sample: Digest A Elution from: 1.5 to 1.55   period: 0   "
                             "experiment: 1 cycles:  2  (Charge not auto determined)"));
}

TEST_F(MSpectrumTest, UnknownChargeWritesOneBlockPerDefaultCharge) {
    store("strDefaultChargeState1", "0");
    auto spectrum = group(500.25, 0);
    spectrum->AddSpectrum(evenPeaks(10), 0, 60.0, 0, 1);
    const QString text = spectrum->getSorvexDataForOneMSMSDataSet();
    EXPECT_EQ(count(text, QStringLiteral("BEGIN IONS\r\n")), 2);
    EXPECT_EQ(count(text, QStringLiteral("CHARGE=2+\r\n")), 1);
    EXPECT_EQ(count(text, QStringLiteral("CHARGE=3+\r\n")), 1);
    QString first = text.left(text.size() / 2);
    QString second = text.mid(text.size() / 2);
    EXPECT_EQ(first.replace(QStringLiteral("CHARGE=2+"), QStringLiteral("CHARGE=3+")), second);
    EXPECT_TRUE(text.startsWith(QStringLiteral("BEGIN IONS\r\nPEPMASS=500.25\r\nCHARGE=2+\r\nTITLE=File: ")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("290 100\r\nEND IONS\r\n\r\n")));

    for (const char* charge : {"strDefaultChargeState2", "strDefaultChargeState3"})
        store(charge, "0");
    auto noDefaults = group(500.25, 0);
    noDefaults->AddSpectrum(evenPeaks(10), 0, 60.0, 0, 1);
    const QString bare = noDefaults->getSorvexDataForOneMSMSDataSet();
    EXPECT_EQ(count(bare, QStringLiteral("BEGIN IONS")), 1);
    EXPECT_FALSE(bare.contains(QStringLiteral("CHARGE=")));
}

TEST_F(MSpectrumTest, TooFewPeaksOrCyclesWriteNothing) {
    auto nine = group(500.0, 2);
    nine->AddSpectrum(evenPeaks(9), 0, 60.0, 0, 1);
    EXPECT_EQ(nine->getSorvexDataForOneMSMSDataSet(), QString());

    store("MSMSAveMinCyclesPerGroup", "2");
    auto oneCycle = group(500.0, 2);
    oneCycle->AddSpectrum(evenPeaks(20), 0, 60.0, 0, 1);
    EXPECT_EQ(oneCycle->getSorvexDataForOneMSMSDataSet(), QString());
}

TEST_F(MSpectrumTest, PeaksNearTheParentCountAgainstTheNeededPeaksOverAllBlocks) {
    store("RemoveNearParent", "20");
    store("strDefaultChargeState1", "0");
    // 12 peaks from 200 to 310; four of them (240 to 270) lie strictly within 20 of 255.
    auto oneBlock = group(255.0, 2);
    oneBlock->AddSpectrum(evenPeaks(12), 0, 60.0, 0, 1);
    EXPECT_EQ(oneBlock->getSorvexDataForOneMSMSDataSet(), QString()) << "8 lines < 10";

    auto twoBlocks = group(255.0, 0); // default charges 2+ and 3+: 16 lines in all
    twoBlocks->AddSpectrum(evenPeaks(12), 0, 60.0, 0, 1);
    const QString text = twoBlocks->getSorvexDataForOneMSMSDataSet();
    EXPECT_EQ(count(text, QStringLiteral("BEGIN IONS")), 2);
    EXPECT_EQ(count(text, QStringLiteral(" 100\r\n")), 16);
    EXPECT_FALSE(text.contains(QStringLiteral("\r\n260 100\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n230 100\r\n")));
}

TEST_F(MSpectrumTest, PeakLinesRoundAndFilter) {
    store("RemoveNearParent", "0.5");
    std::vector<double> mz{100.0, 101.0, 150.123456, 200.5, 499.5, 500.2, 500.5, 600, 700, 800, 900, 950};
    std::vector<double> intensity{0.00009, 0.0001, 1.03125, 1e7, 5, 5, 5, 5, 5, 5, 5, 5};
    auto spectrum = group(500.0, 2, 2);
    spectrum->AddSpectrum(peaks(mz, intensity), 0, 60.0, 0, 1);
    const QString text = spectrum->getSorvexDataForOneMSMSDataSet();
    EXPECT_TRUE(text.contains(QStringLiteral("CHARGE=2-\r\n"))) << "negative ions";
    EXPECT_FALSE(text.contains(QStringLiteral("\r\n100 "))) << "intensity 0.00009 is not written";
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n101 0.0001\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n150.1235 1.0312\r\n")))
        << "halves go to the even neighbour";
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n200.5 10000000\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n499.5 5\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n500.5 5\r\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("\r\n500.2 ")));
    EXPECT_EQ(count(text, QStringLiteral(" 5\r\n")), 7);
}

TEST_F(MSpectrumTest, PeaksAboveTheSinglyProtonatedPrecursorAreDropped) {
    // A 2+ precursor at 500 weighs 997.99 Da: no fragment of it lies above m/z 999 (with a slack
    // of 1 for the m/z errors), while a 3+ one at the same m/z reaches m/z 1498.
    struct Case {
        const char* what;
        std::int16_t charge;
        int sample;
        bool keeps1005;
    };
    const std::vector<Case> cases = {
        {"2+: dropped", 2, 1, false},
        {"unknown charge, searched up to 3+: kept", 0, 1, true},
        {"negative ions: kept", 2, 2, true},
    };
    for (const Case& c : cases) {
        std::vector<double> mz{200, 210, 220, 230, 240, 250, 260, 270, 280, 290, 990, 1005};
        std::vector<double> intensity(10, 100.0);
        intensity.insert(intensity.end(), {50, 50});
        auto spectrum = group(500.0, c.charge, c.sample);
        spectrum->AddSpectrum(peaks(mz, intensity), 0, 60.0, 0, 1);
        const QString text = spectrum->getSorvexDataForOneMSMSDataSet();
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n990 "))) << c.what;
        EXPECT_EQ(text.contains(QStringLiteral("\r\n1005 ")), c.keeps1005) << c.what;
    }
}

TEST_F(MSpectrumTest, NumbersUseAFullStopUnderACommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    auto spectrum = group(500.25, 2);
    spectrum->AddSpectrum(peaks({200.5, 210.5, 220.5, 230.5, 240.5, 250.5, 260.5, 270.5, 280.5, 290.5},
                                {1.5, 1.5, 1.5, 1.5, 1.5, 1.5, 1.5, 1.5, 1.5, 1.5}),
                          0, 90.0, 0, 1);
    const QString text = spectrum->getSorvexDataForOneMSMSDataSet();
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(text.contains(QStringLiteral("PEPMASS=500.25\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n200.5 1.5\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Elution: 1.5 min")));
}

TEST_F(MSpectrumTest, RefusedOperationsChangeNothing) {
    auto spectrum = group(500.0, 2);
    const auto expectRefusal = [](const std::function<void()>& call, const char* message) {
        try {
            call();
            FAIL() << "no error: " << message;
        } catch (const NumberedError& error) {
            EXPECT_EQ(error.number(), errors::SystemError);
            EXPECT_EQ(error.description(), QString::fromLatin1(message));
        }
    };
    expectRefusal([&] { spectrum->UpdateChargeState(3); }, "Invalid call to UpdateChargeState.");
    EXPECT_EQ(spectrum->GetChargeState(), 2);

    auto undetermined = group(500.0, 0);
    undetermined->UpdateChargeState(3);
    EXPECT_EQ(undetermined->GetChargeState(), 3);

    MSpectrum uninitialised;
    EXPECT_THROW(uninitialised.getSorvexDataForOneMSMSDataSet(), NumberedError);
}
