// The export classes as the batch search client reaches them: created by programmatic id from
// the loaded script library and called by name only.
#include "exportprogram.h"

#include "automation/classregistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>

using automation::Arguments;
using automation::Variant;
using exportprogram::GeneratedRunTest;

namespace {

class ScriptLibraryClasses : public GeneratedRunTest {
protected:
    void SetUp() override {
        library.setFileName(QStringLiteral(OSTRAND_SCRIPT_LIBRARY));
        ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    }

    std::shared_ptr<automation::Dispatch> create(const QString& className) {
        return automation::ClassRegistry::instance().create(QStringLiteral("SorvexForBrenlow.") + className);
    }

    QLibrary library;
};

TEST_F(ScriptLibraryClasses, EveryPublicClassIsCreatedByItsIdAndAnswersByName) {
    for (const QString& name : {QStringLiteral("ProcessClass"), QStringLiteral("ProcessingParameters"),
                                QStringLiteral("VeskFileInfo"), QStringLiteral("MSpectrum"),
                                QStringLiteral("MExportMSMSToSorvex"), QStringLiteral("MExportMSToSorvex")})
        EXPECT_EQ(create(name)->className(), name);

    create(QStringLiteral("ProcessClass"))->call(QStringLiteral("BatchStart"));
    EXPECT_EQ(create(QStringLiteral("ProcessingParameters"))
                  ->call(QStringLiteral("getMSMSAveNeedXPeaks"))
                  .toInteger(),
              10);
    const auto info = create(QStringLiteral("VeskFileInfo"));
    Arguments load{dataPath(), std::int32_t{1}, std::int32_t{0}, std::int32_t{0}, std::int32_t{0}};
    info->call(QStringLiteral("setFileNameAndIndex"), load);
    EXPECT_EQ(info->call(QStringLiteral("getNumberOfSamples")).toString(), QStringLiteral("1"));
    EXPECT_EQ(create(QStringLiteral("MSpectrum"))->call(QStringLiteral("GetChargeState")).toInteger(), 0);
    const auto survey = create(QStringLiteral("MExportMSToSorvex"));
    EXPECT_EQ(survey->call(QStringLiteral("GetQueryStringHelper")).toObject()->className(),
              QStringLiteral("SorvexStringHelper"));
}

TEST_F(ScriptLibraryClasses, LateBoundExportMatchesTheProgram) {
    const auto params = create(QStringLiteral("ProcessingParameters"));
    const auto exporter = create(QStringLiteral("MExportMSMSToSorvex"));
    const auto buffer = exporter->call(QStringLiteral("GetQueryStringHelper")).toObject();
    const QString path = outputPath(QStringLiteral("late.sxq"));
    Arguments name{path};
    buffer->call(QStringLiteral("SetFilename"), name);
    for (const char* line : {"SEARCH=MIS", "REPTYPE=Peptide"}) {
        Arguments text{QString::fromLatin1(line)};
        buffer->call(QStringLiteral("AppendLine"), text);
    }
    Arguments args{dataPath(),       std::int32_t{1},  params,   Variant(),
                   std::int32_t{-1}, std::int32_t{-1}, Variant()};
    exporter->call(QStringLiteral("DoExportRange"), args);
    buffer->call(QStringLiteral("CloseFile"));
    EXPECT_GT(exporter->call(QStringLiteral("numSpectraInResult")).toLong(), 0);

    const QString programOutput = outputPath(QStringLiteral("program.sxq"));
    ASSERT_EQ(exportprogram::runProgram({dataPath(), QStringLiteral("-o"), programOutput}).exitCode, 0);
    QFile late(path);
    QFile program(programOutput);
    ASSERT_TRUE(late.open(QIODevice::ReadOnly) && program.open(QIODevice::ReadOnly));
    EXPECT_EQ(late.readAll(), program.readAll());
}

TEST_F(ScriptLibraryClasses, Options4DaemonListsNeedNoWindowNorApplication) {
    // This test program has no application object, as a batch client without windows may have none;
    // the lists come back in order without the options window, which would have started one.
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    const auto daemon = create(QStringLiteral("Options4Daemon"));
    Arguments lists{QStringLiteral("msmsaveneedxpeaks,iTraq"), QStringLiteral("20,0")};
    daemon->call(QStringLiteral("Set_Params_Strings"), lists);
    EXPECT_TRUE(
        daemon->call(QStringLiteral("Params_Keys")).toString().contains(QStringLiteral("MSMSAveNeedXPeaks")));
    EXPECT_TRUE(daemon->call(QStringLiteral("Params_Values")).toString().contains(QStringLiteral(",20,")));
    EXPECT_EQ(daemon->call(QStringLiteral("Get_Params_Object"))
                  .toObject()
                  ->call(QStringLiteral("getMSMSAveNeedXPeaks"))
                  .toInteger(),
              20);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

} // namespace
