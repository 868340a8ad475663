// The entry point a host calls, after loading the library, to create one of its classes by name.

#include "automation/classregistry.h"
#include "hooklogger.h"

extern "C" __attribute__((visibility("default"))) int
CreateScriptClassObject(const char* className, std::shared_ptr<automation::Dispatch>* result) {
    static_assert(std::is_same_v<decltype(&CreateScriptClassObject), automation::ScriptEntryPoint>);
    if (!className || !result ||
        QString::fromUtf8(className).compare(hooklogger::ProcessClass::staticClassName(),
                                             Qt::CaseInsensitive) != 0)
        return 1;
    *result = std::make_shared<hooklogger::ProcessClass>();
    return 0;
}
