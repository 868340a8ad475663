#pragma once
// Creatable classes by programmatic id ("SorvexForBrenlow.ProcessingParameters"), compared
// without regard to case. A script library registers its classes when it is loaded.

#include "dispatch.h"
#include "platform_export.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace automation {

class PLATFORM_EXPORT ClassRegistry {
public:
    using Factory = std::function<std::shared_ptr<Dispatch>()>;

    static ClassRegistry& instance();

    void registerClass(const QString& programmaticId, Factory factory);
    // A new object of the class, or nothing when no class has this id.
    std::shared_ptr<Dispatch> tryCreate(const QString& programmaticId) const;
    // A new object of the class; raises 429 when no class has this id.
    std::shared_ptr<Dispatch> create(const QString& programmaticId) const;

private:
    std::map<QString, Factory> m_factories; // keyed by the lower-case id
};

// The name of the C entry point that every script library exports, and its signature: it sets
// `result` to a new object of the named class and returns 0, or returns non-zero when the library
// has no such class.
inline constexpr char scriptEntryPointName[] = "CreateScriptClassObject";
using ScriptEntryPoint = int (*)(const char* className, std::shared_ptr<Dispatch>* result);

} // namespace automation
