// The entry point through which a host creates Ostrand's classes, and their registration under
// the programmatic ids "SorvexForBrenlow.<class name>" when the library is loaded. Loading also
// routes the library's messages into message boxes, as the user of a host with windows expects
// (in a host without a widget application they still go to standard error), and hands the
// diagnostic log its check of the Shift and Control keys.

#include "automation/publicclasses.h"
#include "kestrum/automation/creatableclasses.h"
#include "script/commonwin32api.h"
#include "script/processclass.h"
#include "shared/messageboxpresenter.h"
#include "web/options4daemon.h"

namespace {

// Runs when the host loads the library.
const bool classesRegistered = [] {
    publicclasses::registerCreatable<ProcessClass>();
    publicclasses::registerEngineClasses();
    publicclasses::registerCreatable<Options4Daemon>();
    // Clients that reach everything by name load spectra through Kestrum's classes.
    kestrumautomation::registerCreatableClasses();
    CommonWin32API::InstallDebugKeysCheck();
    messages::installMessageBoxPresenter();
    return true;
}();

} // namespace

extern "C" __attribute__((visibility("default"))) int
CreateScriptClassObject(const char* className, std::shared_ptr<automation::Dispatch>* result) {
    static_assert(std::is_same_v<decltype(&CreateScriptClassObject), automation::ScriptEntryPoint>);
    if (!classesRegistered || !className || !result)
        return 1;
    *result = automation::ClassRegistry::instance().tryCreate(
        publicclasses::programmaticId(QString::fromUtf8(className)));
    return *result ? 0 : 1;
}
