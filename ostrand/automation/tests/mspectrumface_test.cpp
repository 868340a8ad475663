// MSpectrum as late-bound callers reach it: operations of earlier versions that callers may still
// name always fail, saying so.
#include "automation/mspectrumface.h"

#include "automation/automationerror.h"

#include <gtest/gtest.h>

namespace {

TEST(MSpectrumFace, OperationsOfEarlierVersionsAlwaysFail) {
    MSpectrumFace late;
    for (const char* operation : {"SetInfo", "AddSummedSpectrum", "SetSampleName"}) {
        try {
            late.call(QLatin1String(operation));
            ADD_FAILURE() << "no error: " << operation;
        } catch (const automation::AutomationError& error) {
            EXPECT_EQ(error.number(), automation::SystemError);
            EXPECT_EQ(error.description(),
                      QLatin1String(operation) + QStringLiteral(" is no longer supported."));
        }
    }
}

} // namespace
