// MExportMSMSToSorvex as the batch search client reaches it: by name, with the progress bar and
// label of a window as late-bound objects and a cycle selection as a Boolean array.
#include "automation/mexportmsmstosorvexface.h"
#include "automation/processingparametersface.h"
#include "export/tests/exportacquisition.h"

#include "automation/automationerror.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(MExportMSMSToSorvexFace, LateBoundCallsReachTheExportAndItsProgressObject) {
    // A progress bar and a label as a window offers them: properties set and read by name.
    struct Control : automation::DispatchObject<Control> {
        static QString staticClassName() { return QStringLiteral("Control"); }
        static const automation::DispatchTable<Control>& dispatchTable() {
            using automation::Arguments;
            using automation::Variant;
            static const auto table =
                automation::DispatchTable<Control>()
                    .propertyGet(QStringLiteral("Max"), [](Control&, Arguments&) { return Variant(100.0); })
                    .propertyGet(QStringLiteral("Value"),
                                 [](Control& c, Arguments&) { return Variant(c.value); })
                    .propertyPut(QStringLiteral("Value"),
                                 [](Control& c, Arguments& args) {
                                     c.value = args.at(0).toDouble();
                                     return Variant();
                                 })
                    .propertyPut(QStringLiteral("Caption"), [](Control& c, Arguments& args) {
                        c.caption = args.at(0).toString();
                        return Variant();
                    });
            return table;
        }
        double value = 0;
        QString caption;
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("run.vesk"));
    exporttest::DataDependentRun(3).product(1, 500.0).write(path, 1);
    auto bar = std::make_shared<Control>();
    auto label = std::make_shared<Control>();
    auto object = std::make_shared<MExportMSMSToSorvexFace>();
    automation::Dispatch& late = *object;
    const auto lateParams = std::make_shared<ProcessingParametersFace>(exporttest::plainParameters());
    automation::Variant helper = late.call(QStringLiteral("GetQueryStringHelper"));
    automation::Arguments name{dir.filePath(QStringLiteral("late.txt"))};
    helper.toObject()->call(QStringLiteral("SetFilename"), name);
    automation::Arguments args{path,
                               std::int32_t{1},
                               std::static_pointer_cast<automation::Dispatch>(lateParams),
                               std::static_pointer_cast<automation::Dispatch>(bar),
                               std::int32_t{-1},
                               std::int32_t{-1},
                               std::static_pointer_cast<automation::Dispatch>(label)};
    late.call(QStringLiteral("DoExportRange"), args);
    EXPECT_EQ(bar->value, 3);
    EXPECT_EQ(label->caption, QStringLiteral("Sample 1"));
    EXPECT_EQ(late.call(QStringLiteral("numSpectraInResult")).toLong(), 1);
    EXPECT_FALSE(late.call(QStringLiteral("wasCancelled")).toBool());
    EXPECT_EQ(late.call(QStringLiteral("GetResultFilename")).toString(),
              dir.filePath(QStringLiteral("late.txt")));

    // A selection crosses as a Boolean array with its own lower bound; no progress is an empty argument.
    automation::VariantArray cycles{1, {false, true}};
    automation::Arguments specific{path,
                                   std::int32_t{1},
                                   std::static_pointer_cast<automation::Dispatch>(lateParams),
                                   automation::Variant(),
                                   automation::Variant(),
                                   cycles};
    late.call(QStringLiteral("DoExportSpecificCycles"), specific);
    EXPECT_EQ(late.call(QStringLiteral("numSpectraInResult")).toLong(), 1);
    automation::Arguments wrong{path, std::int32_t{1}, automation::Variant(QStringLiteral("params")),
                                automation::Variant(), std::int32_t{-1}};
    EXPECT_THROW(late.call(QStringLiteral("DoExport"), wrong), automation::AutomationError);
}

} // namespace
