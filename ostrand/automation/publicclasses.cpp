#include "publicclasses.h"

#include "mexportmsmstosorvexface.h"
#include "mexportmstosorvexface.h"
#include "mspectrumface.h"
#include "processingparametersface.h"
#include "veskfileinfoface.h"

namespace publicclasses {

QString programmaticId(const QString& className) {
    return QStringLiteral("SorvexForBrenlow.") + className;
}

void registerEngineClasses() {
    registerCreatable<ProcessingParametersFace>();
    registerCreatable<VeskFileInfoFace>();
    registerCreatable<MSpectrumFace>();
    registerCreatable<MExportMSMSToSorvexFace>();
    registerCreatable<MExportMSToSorvexFace>();
}

} // namespace publicclasses
