#include "mexportmstosorvexface.h"

#include "objectarguments.h"
#include "processingparametersface.h"
#include "sorvexstringhelperface.h"

#include "automation/memberbinding.h"
#include "kestrum/automation/centroidablespectrumface.h"

using automation::argumentAt;
using automation::Arguments;
using automation::bindEngineMember;
using automation::Variant;
using objectarguments::objectArgument;

namespace {

std::shared_ptr<ostrand::ProcessingParameters> parametersArgument(Arguments& args, std::size_t index) {
    return objectArgument<ProcessingParametersFace>(args, index)->parameters();
}

} // namespace

const automation::DispatchTable<MExportMSToSorvexFace>& MExportMSToSorvexFace::dispatchTable() {
    using F = MExportMSToSorvexFace;
    using M = ostrand::MExportMSToSorvex;
    static const auto table =
        automation::DispatchTable<F>()
            .method(QStringLiteral("SetMSMS"), bindEngineMember<F>(&M::SetMSMS))
            .method(QStringLiteral("DoExportFile"),
                    [](F& self, Arguments& args) {
                        self.engine().DoExportFile(argumentAt(args, 0).toString(),
                                                   argumentAt(args, 1).toLong(), parametersArgument(args, 2));
                        return Variant();
                    })
            .method(QStringLiteral("DoExportExperiment"),
                    [](F& self, Arguments& args) {
                        self.engine().DoExportExperiment(
                            argumentAt(args, 0).toString(), argumentAt(args, 1).toLong(),
                            argumentAt(args, 2).toInteger(), argumentAt(args, 3).toInteger(),
                            parametersArgument(args, 4));
                        return Variant();
                    })
            .method(QStringLiteral("DoExportSpectrum"),
                    [](F& self, Arguments& args) {
                        self.engine().DoExportSpectrum(
                            *objectArgument<CentroidableSpectrumFace>(args, 0)->spectrum(),
                            parametersArgument(args, 1));
                        return Variant();
                    })
            .method(QStringLiteral("GetQueryStringHelper"),
                    [](F& self, Arguments&) {
                        return Variant(
                            std::static_pointer_cast<automation::Dispatch>(self.queryStringHelper()));
                    })
            .method(QStringLiteral("GetResultString"), bindEngineMember<F>(&M::GetResultString))
            .method(QStringLiteral("GetResultFilename"), bindEngineMember<F>(&M::GetResultFilename));
    return table;
}

MExportMSToSorvexFace::MExportMSToSorvexFace()
    : m_exporter(std::make_shared<ostrand::MExportMSToSorvex>()),
      m_queryHelper(std::make_shared<SorvexStringHelperFace>(m_exporter->GetQueryStringHelper())) {}

MExportMSToSorvexFace::~MExportMSToSorvexFace() = default;
