#pragma once
// An open Vesk file as a late-bound object: what a graph window's trace hands out as its data
// file, and what VeskFileOpener opens for callers that reach the data-access library by name.

#include "kestrum_automation_export.h"

#include "automation/dispatch.h"

#include <memory>

namespace kestrum {
class VeskFile;
}

class KESTRUM_AUTOMATION_EXPORT VeskFileFace : public automation::DispatchObject<VeskFileFace> {
public:
    static QString staticClassName() { return QStringLiteral("VeskFile"); }
    static const automation::DispatchTable<VeskFileFace>& dispatchTable();

    explicit VeskFileFace(std::shared_ptr<kestrum::VeskFile> file) : m_file(std::move(file)) {}

    const std::shared_ptr<kestrum::VeskFile>& file() const { return m_file; }

private:
    std::shared_ptr<kestrum::VeskFile> m_file;
};

// Opens Vesk files for late-bound callers: OpenVeskFile(path, sample) gives a VeskFile object.
class KESTRUM_AUTOMATION_EXPORT VeskFileOpenerFace : public automation::DispatchObject<VeskFileOpenerFace> {
public:
    static QString staticClassName() { return QStringLiteral("VeskFileOpener"); }
    static const automation::DispatchTable<VeskFileOpenerFace>& dispatchTable();
};
