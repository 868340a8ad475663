// MExportMSToSorvex as the batch search client reaches it: a spectrum object of the data-access
// library and a parameters object in, the peak lines and the query file's name out.
#include "automation/mexportmstosorvexface.h"
#include "automation/processingparametersface.h"
#include "export/sorvexstringhelper.h"

#include "automation/automationerror.h"
#include "kestrum/automation/centroidablespectrumface.h"
#include "kestrum/centroidablespectrum.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(MExportMSToSorvexFace, LateBoundCallsExportASpectrumObject) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MExportMSToSorvexFace face;
    face.engine().GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("pmf.txt")));
    auto peaks = std::make_shared<kestrum::CentroidableSpectrum>(std::vector<double>{300.12346},
                                                                 std::vector<double>{7.5});
    peaks->SetCentroided(true);
    const auto lateParams =
        std::make_shared<ProcessingParametersFace>(std::make_shared<ostrand::ProcessingParameters>());

    automation::Dispatch& late = face;
    automation::Arguments args{
        std::static_pointer_cast<automation::Dispatch>(std::make_shared<CentroidableSpectrumFace>(peaks)),
        std::static_pointer_cast<automation::Dispatch>(lateParams)};
    late.call(QStringLiteral("DoExportSpectrum"), args);
    EXPECT_EQ(late.call(QStringLiteral("GetResultString")).toString(), QStringLiteral("300.1235 7.5\r\n"));
    EXPECT_EQ(late.call(QStringLiteral("GetResultFilename")).toString(),
              dir.filePath(QStringLiteral("pmf.txt")));
    automation::Arguments wrong{automation::Variant(1.0),
                                std::static_pointer_cast<automation::Dispatch>(lateParams)};
    EXPECT_THROW(late.call(QStringLiteral("DoExportSpectrum"), wrong), automation::AutomationError);
}

} // namespace
