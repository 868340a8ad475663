#include "veskfileinfoface.h"

#include "automation/memberbinding.h"

#include <array>
#include <utility>

using automation::argumentAt;
using automation::Arguments;
using automation::bindEngineMember;
using automation::Variant;
using ostrand::VeskFileInfo;

QString VeskFileInfoFace::helpString(const QString& member) {
    static const std::array<std::pair<const char*, const char*>, 15> texts = {{
        {"getScanTypeText", "Returns the scan type as a text string"},
        {"GetFilename", "The full path name of the file"},
        {"getSampleIndex", "Not generally useful. Note that the first sample is sample number 1"},
        {"getNumberOfSamples", "Returns the number of Samples - note that sample indexes start at 1"},
        {"getSampleName", "Returns the name of the current sample"},
        {"getNumPeriods", "Returns the number of periods. Note that for DDE, there is only one period"},
        {"getScanType", "Returns the scan type - one of MRM_SCAN, NEUTRAL_LOSS_SCAN etc."},
        {"getMaxExperiments", "Returns the maximum number of experiments for any cycle in the file"},
        {"getNumCyclesInFirstPeriod",
         "The number of cycles in the first period. Note that for DDE, there is only one period"},
        {"isDDE", "Returns TRUE if it is a DDE experiment"},
        {"getCurrentPeriod", "Not generally useful"},
        {"getCurrentExperiment", "Not generally useful"},
        {"isMSMSButNotDDE", "Returns TRUE if there is MSMS data in the file."},
        {"isThisScanMSMS", "Not generally useful, but returns true if the current scan is MSMS"},
        {"isDataBeingAcquired", "Returns TRUE if data is still being acquired. However, there seems to be "
                                "something dodgy here - don't recommend using this yet."},
    }};
    for (const auto& [name, text] : texts)
        if (member.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(text);
    return {};
}

const automation::DispatchTable<VeskFileInfoFace>& VeskFileInfoFace::dispatchTable() {
    using Self = VeskFileInfoFace;
    using V = VeskFileInfo;
    // The rules that need no file are static; their entries convert the arguments themselves.
    static const auto table =
        automation::DispatchTable<Self>()
            .propertyGet(QStringLiteral("DllVersion"),
                         [](Self&, Arguments&) { return Variant(V::DllVersion()); })
            .method(QStringLiteral("setFileNameAndIndex"), bindEngineMember<Self>(&V::setFileNameAndIndex))
            .method(QStringLiteral("getScanTypeText"), bindEngineMember<Self>(&V::getScanTypeText))
            .method(QStringLiteral("GetFilename"), bindEngineMember<Self>(&V::GetFilename))
            .method(QStringLiteral("getSampleIndex"), bindEngineMember<Self>(&V::getSampleIndex))
            .method(QStringLiteral("getNumberOfSamples"), bindEngineMember<Self>(&V::getNumberOfSamples))
            .method(QStringLiteral("getSampleName"), bindEngineMember<Self>(&V::getSampleName))
            .method(QStringLiteral("getNumPeriods"), bindEngineMember<Self>(&V::getNumPeriods))
            .method(QStringLiteral("getScanType"), bindEngineMember<Self>(&V::getScanType))
            .method(QStringLiteral("getMaxExperiments"), bindEngineMember<Self>(&V::getMaxExperiments))
            .method(QStringLiteral("getNumCyclesInFirstPeriod"),
                    bindEngineMember<Self>(&V::getNumCyclesInFirstPeriod))
            .method(QStringLiteral("isDDE"), bindEngineMember<Self>(&V::isDDE))
            .method(QStringLiteral("getCurrentPeriod"), bindEngineMember<Self>(&V::getCurrentPeriod))
            .method(QStringLiteral("getCurrentExperiment"), bindEngineMember<Self>(&V::getCurrentExperiment))
            .method(QStringLiteral("getCurrentCycle"), bindEngineMember<Self>(&V::getCurrentCycle))
            .method(QStringLiteral("isMSMS"), bindEngineMember<Self>(&V::isMSMS))
            .method(QStringLiteral("isThisScanMSMS"),
                    [](Self&, Arguments& args) {
                        return Variant(V::isThisScanMSMS(argumentAt(args, 0).toInteger()));
                    })
            .method(QStringLiteral("isDataBeingAcquired"), bindEngineMember<Self>(&V::isDataBeingAcquired))
            .method(QStringLiteral("isTOFSurveyDDE"), bindEngineMember<Self>(&V::isTOFSurveyDDE))
            .method(QStringLiteral("haveEngineDDEChargeState"),
                    bindEngineMember<Self>(&V::haveEngineDDEChargeState))
            .method(QStringLiteral("isMSMSButNotDDE"), bindEngineMember<Self>(&V::isMSMSButNotDDE))
            .method(QStringLiteral("isThisScanMSCubed"),
                    [](Self&, Arguments& args) {
                        return Variant(V::isThisScanMSCubed(argumentAt(args, 0).toInteger()));
                    })
            .method(QStringLiteral("isThisScanDDEProduct"),
                    [](Self&, Arguments& args) {
                        return Variant(V::isThisScanDDEProduct(argumentAt(args, 0).toInteger(),
                                                               argumentAt(args, 1).toDouble()));
                    })
            .method(QStringLiteral("GetParentMZAndCharge"),
                    [](Self&, Arguments& args) -> Variant {
                        // The data-file object does not cross as a Kestrum file; the call raises
                        // once its arguments have been checked as the interface types them.
                        double parentMz = argumentAt(args, 5).toDouble();
                        std::int16_t chargeState = argumentAt(args, 6).toInteger();
                        V::GetParentMZAndCharge(nullptr, argumentAt(args, 1).toInteger(),
                                                argumentAt(args, 2).toInteger(),
                                                argumentAt(args, 3).toInteger(), argumentAt(args, 4).toLong(),
                                                parentMz, chargeState);
                        argumentAt(args, 5) = Variant(parentMz);
                        argumentAt(args, 6) = Variant(chargeState);
                        return {};
                    })
            .method(QStringLiteral("ParseParentMZFromTitle"),
                    [](Self&, Arguments& args) {
                        return Variant(V::ParseParentMZFromTitle(argumentAt(args, 0).toString()));
                    })
            .method(QStringLiteral("IsPositive"), bindEngineMember<Self>(&V::IsPositive));
    return table;
}
