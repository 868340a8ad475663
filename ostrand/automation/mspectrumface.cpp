#include "mspectrumface.h"

#include "objectarguments.h"
#include "processingparametersface.h"
#include "veskfileinfoface.h"

#include "automation/memberbinding.h"
#include "kestrum/automation/centroidablespectrumface.h"
#include "kestrum/centroidablespectrum.h"

using automation::argumentAt;
using automation::Arguments;
using automation::AutomationError;
using automation::bindEngineMember;
using automation::Variant;
using objectarguments::objectArgument;

namespace {

[[noreturn]] void noLongerSupported(const char* operation) {
    throw AutomationError::system(QLatin1String(operation) + QStringLiteral(" is no longer supported."));
}

std::shared_ptr<kestrum::CentroidableSpectrum> spectrumArgument(Arguments& args, std::size_t index) {
    return objectArgument<CentroidableSpectrumFace>(args, index)->spectrum();
}

} // namespace

const automation::DispatchTable<MSpectrumFace>& MSpectrumFace::dispatchTable() {
    using F = MSpectrumFace;
    using M = ostrand::MSpectrum;
    static const auto table =
        automation::DispatchTable<F>()
            .method(QStringLiteral("SetInfo"),
                    [](F&, Arguments&) -> Variant { noLongerSupported("SetInfo"); })
            .method(QStringLiteral("GetParentMZ"), bindEngineMember<F>(&M::GetParentMZ))
            .method(QStringLiteral("GetChargeState"), bindEngineMember<F>(&M::GetChargeState))
            .method(QStringLiteral("GetLastCycle"), bindEngineMember<F>(&M::GetLastCycle))
            .method(QStringLiteral("AddSpectrum"),
                    [](F& self, Arguments& args) {
                        self.engine().AddSpectrum(
                            spectrumArgument(args, 0)->CopySpectrum(), argumentAt(args, 1).toLong(),
                            argumentAt(args, 2).toDouble(), argumentAt(args, 3).toLong(),
                            argumentAt(args, 4).toInteger());
                        return Variant();
                    })
            .method(QStringLiteral("AddSummedSpectrum"),
                    [](F&, Arguments&) -> Variant { noLongerSupported("AddSummedSpectrum"); })
            .method(QStringLiteral("getSorvexDataForOneMSMSDataSet"),
                    bindEngineMember<F>(&M::getSorvexDataForOneMSMSDataSet))
            .method(QStringLiteral("SetSampleName"),
                    [](F&, Arguments&) -> Variant { noLongerSupported("SetSampleName"); })
            .method(QStringLiteral("SetInfo2"),
                    [](F& self, Arguments& args) {
                        self.engine().SetInfo2(
                            argumentAt(args, 0).toDouble(), argumentAt(args, 1).toInteger(),
                            objectArgument<ProcessingParametersFace>(args, 2)->parameters(),
                            objectArgument<VeskFileInfoFace>(args, 3)->info());
                        return Variant();
                    })
            .method(QStringLiteral("UpdateChargeState"), bindEngineMember<F>(&M::UpdateChargeState))
            .method(QStringLiteral("AddSummedSpectrum2"), [](F& self, Arguments& args) {
                self.engine().AddSummedSpectrum2(
                    spectrumArgument(args, 0)->CopySpectrum(), argumentAt(args, 1).toLong(),
                    argumentAt(args, 2).toLong(), argumentAt(args, 3).toDouble(),
                    argumentAt(args, 4).toDouble(), argumentAt(args, 5).toInteger(),
                    argumentAt(args, 6).toInteger());
                return Variant();
            });
    return table;
}
