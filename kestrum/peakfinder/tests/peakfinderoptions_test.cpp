#include "kestrum/peakfinder/peakfinderoptions.h"

#include "errors/numberederror.h"

#include <gtest/gtest.h>

using kestrum::PeakFinderOptions;

TEST(PeakFinderOptions, DefaultTextRoundTripsAndKeepsTheChargeSecond) {
    const PeakFinderOptions defaults;
    EXPECT_EQ(defaults.toText(), QStringLiteral("50,0,2,8"));
    const PeakFinderOptions parsed = PeakFinderOptions::fromText(QStringLiteral("35.5,2,6,5"));
    EXPECT_DOUBLE_EQ(parsed.heightPercent, 35.5);
    EXPECT_EQ(parsed.chargeState, 2);
    EXPECT_DOUBLE_EQ(parsed.minSignalToNoise, 6);
    EXPECT_EQ(parsed.maxCharge, 5);
    EXPECT_EQ(parsed.chargeLimit(), 2);
    EXPECT_EQ(PeakFinderOptions::fromText(parsed.toText()).toText(), parsed.toText());
    EXPECT_EQ(PeakFinderOptions::fromText(QStringLiteral("50,0")).chargeLimit(), 8);
    EXPECT_EQ(PeakFinderOptions::fromText(QString()).toText(), defaults.toText());
    // A precursor's charge may exceed what fragment clusters can show.
    EXPECT_EQ(PeakFinderOptions::fromText(QStringLiteral("50,40")).chargeState, 10);
}

TEST(PeakFinderOptions, MalformedFieldsAreNamed) {
    const auto descriptionOf = [](const char* text) {
        try {
            PeakFinderOptions::fromText(QString::fromLatin1(text));
        } catch (const errors::NumberedError& error) {
            EXPECT_EQ(error.number(), 1);
            return error.description();
        }
        return QString();
    };
    EXPECT_TRUE(descriptionOf("fifty,0").contains(QStringLiteral("field 1 (\"fifty\")")));
    EXPECT_TRUE(descriptionOf("50,-1").contains(QStringLiteral("field 2")));
    EXPECT_TRUE(descriptionOf("50,0,x").contains(QStringLiteral("field 3")));
    EXPECT_TRUE(descriptionOf("50,0,3,0").contains(QStringLiteral("field 4")));
    EXPECT_TRUE(descriptionOf("50,0,3,4,9").contains(QStringLiteral("field 5")));
    EXPECT_TRUE(descriptionOf("100").contains(QStringLiteral("percentage")));
}
