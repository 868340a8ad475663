#include "classregistry.h"

namespace automation {

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::registerClass(const QString& programmaticId, Factory factory) {
    m_factories[programmaticId.toLower()] = std::move(factory);
}

std::shared_ptr<Dispatch> ClassRegistry::tryCreate(const QString& programmaticId) const {
    const auto found = m_factories.find(programmaticId.toLower());
    return found == m_factories.end() ? nullptr : found->second();
}

std::shared_ptr<Dispatch> ClassRegistry::create(const QString& programmaticId) const {
    if (auto object = tryCreate(programmaticId))
        return object;
    throw AutomationError(CannotCreateObject,
                          standardDescription(CannotCreateObject) + QStringLiteral(": ") + programmaticId);
}

} // namespace automation
