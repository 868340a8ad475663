#include "centroidablespectrumface.h"

#include "veskfileface.h"

#include "kestrum/filespectrum.h"

using automation::argumentAt;
using automation::Arguments;
using automation::Variant;

namespace {

using Spectrum = kestrum::CentroidableSpectrum;

// A member that reads the spectrum with no arguments.
template <typename Read> automation::DispatchTable<CentroidableSpectrumFace>::Handler reading(Read read) {
    return [read](CentroidableSpectrumFace& self, Arguments&) { return Variant(read(*self.spectrum())); };
}

// Loading from a file is what a FileSpectrum adds; other spectra do not support it.
kestrum::FileSpectrum& fileSpectrum(CentroidableSpectrumFace& self) {
    auto* loaded = dynamic_cast<kestrum::FileSpectrum*>(self.spectrum().get());
    if (!loaded)
        throw automation::AutomationError::standard(automation::MemberNotFound);
    return *loaded;
}

} // namespace

CentroidableSpectrumFace::CentroidableSpectrumFace(std::shared_ptr<kestrum::CentroidableSpectrum> spectrum)
    : m_spectrum(std::move(spectrum)) {}

const automation::DispatchTable<CentroidableSpectrumFace>& CentroidableSpectrumFace::dispatchTable() {
    using H = CentroidableSpectrumFace;
    static const auto table =
        automation::DispatchTable<H>()
            .method(QStringLiteral("PointCount"), reading([](const Spectrum& s) { return s.PointCount(); }))
            .method(QStringLiteral("XAt"),
                    [](H& self, Arguments& args) {
                        return Variant(self.spectrum()->XAt(argumentAt(args, 0).toLong()));
                    })
            .method(QStringLiteral("YAt"),
                    [](H& self, Arguments& args) {
                        return Variant(self.spectrum()->YAt(argumentAt(args, 0).toLong()));
                    })
            .method(QStringLiteral("ChargeAt"),
                    [](H& self, Arguments& args) {
                        return Variant(static_cast<std::int16_t>(
                            self.spectrum()->ChargeAt(argumentAt(args, 0).toLong())));
                    })
            .method(QStringLiteral("AppendPoint"),
                    [](H& self, Arguments& args) {
                        self.spectrum()->AppendPoint(argumentAt(args, 0).toDouble(),
                                                     argumentAt(args, 1).toDouble());
                        return Variant();
                    })
            .method(QStringLiteral("Title"), reading([](const Spectrum& s) { return s.Title(); }))
            .method(QStringLiteral("XUnits"), reading([](const Spectrum& s) { return s.XUnits(); }))
            .method(QStringLiteral("IsCentroided"),
                    reading([](const Spectrum& s) { return s.IsCentroided(); }))
            .method(QStringLiteral("SetCentroided"),
                    [](H& self, Arguments& args) {
                        self.spectrum()->SetCentroided(argumentAt(args, 0).toBool());
                        return Variant();
                    })
            .method(QStringLiteral("CopySpectrum"),
                    [](H& self, Arguments&) {
                        return Variant(std::static_pointer_cast<automation::Dispatch>(
                            std::make_shared<CentroidableSpectrumFace>(self.spectrum()->CopySpectrum())));
                    })
            // PointAt(index, mz, intensity): the point's values come back in the two arguments.
            .method(QStringLiteral("PointAt"),
                    [](H& self, Arguments& args) {
                        const auto [mz, intensity] = self.spectrum()->PointAt(argumentAt(args, 0).toLong());
                        argumentAt(args, 1) = Variant(mz);
                        argumentAt(args, 2) = Variant(intensity);
                        return Variant();
                    })
            .method(QStringLiteral("SetDataFile"),
                    [](H& self, Arguments& args) {
                        fileSpectrum(self).SetDataFile(argumentAt(args, 0).toString());
                        return Variant();
                    })
            .method(QStringLiteral("LoadSpectrum"),
                    [](H& self, Arguments& args) {
                        fileSpectrum(self).LoadSpectrum(
                            argumentAt(args, 0).toLong(), argumentAt(args, 1).toLong(),
                            argumentAt(args, 2).toLong(), argumentAt(args, 3).toSingle(),
                            argumentAt(args, 4).toSingle());
                        return Variant();
                    })
            // Where the spectrum or trace came from; a spectrum built in memory has no file.
            .method(QStringLiteral("GetVeskFileObject"),
                    [](H& self, Arguments&) {
                        const auto& file = self.spectrum()->origin().file;
                        return Variant(file ? std::static_pointer_cast<automation::Dispatch>(
                                                  std::make_shared<VeskFileFace>(file))
                                            : std::shared_ptr<automation::Dispatch>());
                    })
            .method(QStringLiteral("GetSampleNumber"),
                    reading([](const Spectrum& s) { return std::int32_t{s.origin().sample}; }))
            .method(QStringLiteral("GetPeriodNumber"),
                    reading([](const Spectrum& s) { return std::int32_t{s.origin().period}; }))
            .method(QStringLiteral("GetExperimentNumber"),
                    reading([](const Spectrum& s) { return std::int32_t{s.origin().experiment}; }))
            .method(QStringLiteral("GetStartTime"),
                    reading([](const Spectrum& s) { return s.origin().startTimeSeconds; }));
    return table;
}
