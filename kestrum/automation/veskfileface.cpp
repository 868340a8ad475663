#include "veskfileface.h"

#include "kestrum/veskfile.h"

using automation::argumentAt;
using automation::Arguments;
using automation::Variant;

const automation::DispatchTable<VeskFileFace>& VeskFileFace::dispatchTable() {
    using V = VeskFileFace;
    // Samples count from 1; periods, experiments and cycles from 0; times are seconds.
    const auto index = [](Arguments& args, std::size_t at) { return int{argumentAt(args, at).toLong()}; };
    static const auto table =
        automation::DispatchTable<V>()
            .method(QStringLiteral("FilePath"),
                    [](V& self, Arguments&) { return Variant(self.file()->FilePath()); })
            .method(QStringLiteral("SampleCount"),
                    [](V& self, Arguments&) { return Variant(std::int32_t{self.file()->SampleCount()}); })
            .method(
                QStringLiteral("SampleName"),
                [=](V& self, Arguments& args) { return Variant(self.file()->SampleName(index(args, 0))); })
            .method(QStringLiteral("PeriodCount"),
                    [=](V& self, Arguments& args) {
                        return Variant(std::int32_t{self.file()->PeriodCount(index(args, 0))});
                    })
            .method(QStringLiteral("ExperimentCount"),
                    [=](V& self, Arguments& args) {
                        return Variant(
                            std::int32_t{self.file()->ExperimentCount(index(args, 0), index(args, 1))});
                    })
            .method(QStringLiteral("CycleCount"),
                    [=](V& self, Arguments& args) {
                        return Variant(std::int32_t{self.file()->CycleCount(index(args, 0), index(args, 1))});
                    })
            .method(QStringLiteral("CycleTime"),
                    [=](V& self, Arguments& args) {
                        return Variant(self.file()->CycleTime(index(args, 0), index(args, 1), index(args, 2),
                                                              index(args, 3)));
                    })
            // CycleAtTime(sample, experiment, seconds, period, cycle): the period and the cycle
            // come back in the last two arguments.
            .method(QStringLiteral("CycleAtTime"), [=](V& self, Arguments& args) {
                const kestrum::CyclePosition position =
                    self.file()->CycleAtTime(index(args, 0), index(args, 1), argumentAt(args, 2).toSingle());
                argumentAt(args, 3) = Variant(std::int32_t{position.period});
                argumentAt(args, 4) = Variant(std::int32_t{position.cycle});
                return Variant();
            });
    return table;
}

const automation::DispatchTable<VeskFileOpenerFace>& VeskFileOpenerFace::dispatchTable() {
    static const auto table = automation::DispatchTable<VeskFileOpenerFace>().method(
        QStringLiteral("OpenVeskFile"), [](VeskFileOpenerFace&, Arguments& args) {
            auto file = kestrum::VeskFileOpener().OpenVeskFile(argumentAt(args, 0).toString(),
                                                               argumentAt(args, 1).toLong());
            return Variant(std::static_pointer_cast<automation::Dispatch>(
                std::make_shared<VeskFileFace>(std::move(file))));
        });
    return table;
}
