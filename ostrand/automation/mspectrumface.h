#pragma once
// The public class MSpectrum as late-bound callers reach it, with the operations of earlier
// versions that callers may still name and that always fail.

#include "export/mspectrum.h"

#include "automation/dispatch.h"

#include <memory>

class MSpectrumFace : public automation::DispatchObject<MSpectrumFace> {
public:
    static QString staticClassName() { return QStringLiteral("MSpectrum"); }
    static const automation::DispatchTable<MSpectrumFace>& dispatchTable();

    MSpectrumFace() : m_spectrum(std::make_shared<ostrand::MSpectrum>()) {}

    ostrand::MSpectrum& engine() const { return *m_spectrum; }

private:
    std::shared_ptr<ostrand::MSpectrum> m_spectrum;
};
