#include "kestrum/import/scantyperules.h"
#include "kestrum/scantype.h"

#include <gtest/gtest.h>

using kestrum::MassAnalyzer;
using kestrum::ScanTypeRules;

TEST(ScanTypeRules, AnalyserDecidesSurveyAndProductCodes) {
    const ScanTypeRules rules;
    EXPECT_EQ(rules.code(1, MassAnalyzer::TimeOfFlight), kestrum::TOFMS);
    EXPECT_EQ(rules.code(1, MassAnalyzer::FourierTransform), kestrum::HighResolutionMS);
    EXPECT_EQ(rules.code(1, MassAnalyzer::IonTrap), kestrum::EnhancedMS);
    EXPECT_EQ(rules.code(1, MassAnalyzer::Other), kestrum::Q1Scan);
    EXPECT_EQ(rules.code(2, MassAnalyzer::TimeOfFlight), kestrum::TOFProduct);
    EXPECT_EQ(rules.code(2, MassAnalyzer::IonTrap), kestrum::EnhancedProduct);
    EXPECT_EQ(rules.code(2, MassAnalyzer::FourierTransform), kestrum::ProductScan);
    EXPECT_EQ(rules.code(2, MassAnalyzer::Other), kestrum::ProductScan);
    EXPECT_EQ(rules.code(3, MassAnalyzer::IonTrap), kestrum::MS3);
    EXPECT_EQ(rules.code(4, MassAnalyzer::Other), kestrum::MS3);
}

TEST(ScanTypeRules, OverridesReplaceSurveyAndProductCodesButNotMs3) {
    ScanTypeRules rules;
    rules.surveyOverride = kestrum::Q3Scan;
    rules.productOverride = kestrum::TimeDelayFragmentation;
    EXPECT_EQ(rules.code(1, MassAnalyzer::TimeOfFlight), kestrum::Q3Scan);
    EXPECT_EQ(rules.code(2, MassAnalyzer::IonTrap), kestrum::TimeDelayFragmentation);
    EXPECT_EQ(rules.code(3, MassAnalyzer::IonTrap), kestrum::MS3);
}
