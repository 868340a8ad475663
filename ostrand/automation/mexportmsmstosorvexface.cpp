#include "mexportmsmstosorvexface.h"

#include "dispatchprogress.h"
#include "objectarguments.h"
#include "processingparametersface.h"
#include "sorvexstringhelperface.h"

#include "automation/memberbinding.h"

using automation::argumentAt;
using automation::Arguments;
using automation::bindEngineMember;
using automation::Variant;
using objectarguments::objectArgument;
using ostrand::CycleSelection;

namespace {

CycleSelection cycleSelectionArgument(Arguments& args, std::size_t index) {
    const automation::VariantArray& array = argumentAt(args, index).toArray();
    CycleSelection selection{array.lowerBound, {}};
    selection.flags.reserve(array.items.size());
    for (const Variant& flag : array.items)
        selection.flags.push_back(flag.toBool());
    return selection;
}

} // namespace

const automation::DispatchTable<MExportMSMSToSorvexFace>& MExportMSMSToSorvexFace::dispatchTable() {
    using F = MExportMSMSToSorvexFace;
    using M = ostrand::MExportMSMSToSorvex;
    const auto params = [](Arguments& args) {
        return objectArgument<ProcessingParametersFace>(args, 2)->parameters();
    };
    const auto progress = [](Arguments& args) { return progressArgument(argumentAt(args, 3)); };
    static const auto table =
        automation::DispatchTable<F>()
            .method(QStringLiteral("DoExport"),
                    [=](F& self, Arguments& args) {
                        self.engine().DoExport(argumentAt(args, 0).toString(), argumentAt(args, 1).toLong(),
                                               params(args), progress(args).get(),
                                               argumentAt(args, 4).toLong());
                        return Variant();
                    })
            .method(QStringLiteral("GetResultString"), bindEngineMember<F>(&M::GetResultString))
            .method(QStringLiteral("DoExportRange"),
                    [=](F& self, Arguments& args) {
                        self.engine().DoExportRange(
                            argumentAt(args, 0).toString(), argumentAt(args, 1).toLong(), params(args),
                            progress(args).get(), argumentAt(args, 4).toLong(), argumentAt(args, 5).toLong(),
                            labelArgument(argumentAt(args, 6)).get());
                        return Variant();
                    })
            .method(QStringLiteral("CancelExport"), bindEngineMember<F>(&M::CancelExport))
            .method(QStringLiteral("wasCancelled"), bindEngineMember<F>(&M::wasCancelled))
            .method(QStringLiteral("numSpectraInResult"), bindEngineMember<F>(&M::numSpectraInResult))
            .method(QStringLiteral("GetQueryStringHelper"),
                    [](F& self, Arguments&) {
                        return Variant(
                            std::static_pointer_cast<automation::Dispatch>(self.queryStringHelper()));
                    })
            .method(QStringLiteral("DoExportSpecificCycles"),
                    [=](F& self, Arguments& args) {
                        self.engine().DoExportSpecificCycles(
                            argumentAt(args, 0).toString(), argumentAt(args, 1).toLong(), params(args),
                            progress(args).get(), labelArgument(argumentAt(args, 4)).get(),
                            cycleSelectionArgument(args, 5));
                        return Variant();
                    })
            .method(QStringLiteral("DoExportPrivate"),
                    [=](F& self, Arguments& args) {
                        self.engine().DoExportPrivate(
                            argumentAt(args, 0).toString(), argumentAt(args, 1).toLong(), params(args),
                            progress(args).get(), argumentAt(args, 4).toLong(), argumentAt(args, 5).toLong(),
                            labelArgument(argumentAt(args, 6)).get(), cycleSelectionArgument(args, 7));
                        return Variant();
                    })
            .method(QStringLiteral("GetResultFilename"), bindEngineMember<F>(&M::GetResultFilename));
    return table;
}

MExportMSMSToSorvexFace::MExportMSMSToSorvexFace()
    : m_exporter(std::make_shared<ostrand::MExportMSMSToSorvex>()) {}

MExportMSMSToSorvexFace::~MExportMSMSToSorvexFace() = default;

std::shared_ptr<SorvexStringHelperFace> MExportMSMSToSorvexFace::queryStringHelper() {
    if (!m_queryHelper)
        m_queryHelper = std::make_shared<SorvexStringHelperFace>(m_exporter->GetQueryStringHelper());
    return m_queryHelper;
}
