#include "creatableclasses.h"

#include "centroidablespectrumface.h"
#include "veskfileface.h"

#include "automation/classregistry.h"
#include "kestrum/filespectrum.h"

namespace kestrumautomation {

void registerCreatableClasses() {
    auto& registry = automation::ClassRegistry::instance();
    registry.registerClass(QStringLiteral("Kestrum.CentroidableSpectrum"), [] {
        return std::make_shared<CentroidableSpectrumFace>(std::make_shared<kestrum::CentroidableSpectrum>());
    });
    registry.registerClass(QStringLiteral("Kestrum.FileSpectrum"), [] {
        return std::make_shared<CentroidableSpectrumFace>(std::make_shared<kestrum::FileSpectrum>());
    });
    registry.registerClass(QStringLiteral("Kestrum.VeskFileOpener"),
                           [] { return std::make_shared<VeskFileOpenerFace>(); });
}

} // namespace kestrumautomation
