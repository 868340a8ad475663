#pragma once
// Kestrum's classes that outside clients create by programmatic id ("Kestrum.FileSpectrum", ...),
// so that a client reaching everything by name can load a spectrum and hand it to the export
// classes. Programs register them once at start; registering again changes nothing.

#include "kestrum_automation_export.h"

namespace kestrumautomation {

// "Kestrum.CentroidableSpectrum" (an empty spectrum), "Kestrum.FileSpectrum" (SetDataFile,
// LoadSpectrum) and "Kestrum.VeskFileOpener" (OpenVeskFile).
KESTRUM_AUTOMATION_EXPORT void registerCreatableClasses();

} // namespace kestrumautomation
