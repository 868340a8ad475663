// The entry point through which a host creates Ostrand's classes, and their registration under
// the programmatic ids "SorvexForBrenlow.<class name>" when the library is loaded. Loading also
// routes the library's messages into message boxes, as the user of a host with windows expects;
// in a host without a widget application they still go to standard error.

#include "automation/classregistry.h"
#include "data/veskfileinfo.h"
#include "export/mexportmsmstosorvex.h"
#include "export/mexportmstosorvex.h"
#include "export/mspectrum.h"
#include "kestrum/automation/creatableclasses.h"
#include "script/processclass.h"
#include "settings/processingparameters.h"
#include "shared/messageboxpresenter.h"
#include "web/options4daemon.h"

namespace {

const QString typeLibraryName = QStringLiteral("SorvexForBrenlow");

QString programmaticId(const QString& className) {
    return typeLibraryName + QLatin1Char('.') + className;
}

template <class T> void registerCreatable() {
    automation::ClassRegistry::instance().registerClass(programmaticId(T::staticClassName()),
                                                        [] { return std::make_shared<T>(); });
}

// Runs when the host loads the library.
const bool classesRegistered = [] {
    registerCreatable<ProcessClass>();
    registerCreatable<ProcessingParameters>();
    registerCreatable<VeskFileInfo>();
    registerCreatable<MSpectrum>();
    registerCreatable<MExportMSMSToSorvex>();
    registerCreatable<MExportMSToSorvex>();
    registerCreatable<Options4Daemon>();
    // Clients that reach everything by name load spectra through Kestrum's classes.
    kestrumautomation::registerCreatableClasses();
    messages::installMessageBoxPresenter();
    return true;
}();

} // namespace

extern "C" __attribute__((visibility("default"))) int
CreateScriptClassObject(const char* className, std::shared_ptr<automation::Dispatch>* result) {
    static_assert(std::is_same_v<decltype(&CreateScriptClassObject), automation::ScriptEntryPoint>);
    if (!classesRegistered || !className || !result)
        return 1;
    *result = automation::ClassRegistry::instance().tryCreate(programmaticId(QString::fromUtf8(className)));
    return *result ? 0 : 1;
}
