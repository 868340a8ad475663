#include "hostspectrum.h"

#include "kestrum/centroidablespectrum.h"

using automation::argumentAt;
using automation::Arguments;
using automation::Variant;

namespace {

using Spectrum = kestrum::CentroidableSpectrum;

// A member that reads the spectrum with no arguments.
template <typename Read> automation::DispatchTable<HostSpectrum>::Handler reading(Read read) {
    return [read](HostSpectrum& self, Arguments&) { return Variant(read(*self.spectrum())); };
}

} // namespace

HostSpectrum::HostSpectrum(std::shared_ptr<kestrum::CentroidableSpectrum> spectrum)
    : m_spectrum(std::move(spectrum)) {}

const automation::DispatchTable<HostSpectrum>& HostSpectrum::dispatchTable() {
    using H = HostSpectrum;
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
            .method(QStringLiteral("CopySpectrum"), [](H& self, Arguments&) {
                return Variant(std::static_pointer_cast<automation::Dispatch>(
                    std::make_shared<HostSpectrum>(self.spectrum()->CopySpectrum())));
            });
    return table;
}
