#pragma once
// Registration of Ostrand's creatable classes under their programmatic ids,
// "SorvexForBrenlow.<class name>", which outside clients create them by.

#include "automation/classregistry.h"

#include <QString>
#include <memory>

namespace publicclasses {

QString programmaticId(const QString& className);

// Registers the class T (a dispatch face with a default constructor) under its programmatic id.
template <class T> void registerCreatable() {
    automation::ClassRegistry::instance().registerClass(programmaticId(T::staticClassName()),
                                                        [] { return std::make_shared<T>(); });
}

// Registers the faces of the export engine: ProcessingParameters, VeskFileInfo, MSpectrum,
// MExportMSMSToSorvex and MExportMSToSorvex.
void registerEngineClasses();

} // namespace publicclasses
