#include "automation/automationerror.h"
#include "automation/variant.h"

#include <gtest/gtest.h>

#include <clocale>

using automation::AutomationError;
using automation::Variant;
using automation::VariantArray;

namespace {

int errorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& error) {
        return error.number();
    }
    return 0;
}

} // namespace

TEST(VariantNumberText, ShortestFormUpToFifteenDigitsWithFullStop) {
    EXPECT_EQ(Variant(0.1 + 0.2).toString(), QStringLiteral("0.3"));
    EXPECT_EQ(Variant(523.78125).toString(), QStringLiteral("523.78125"));
    EXPECT_EQ(Variant(2.0).toString(), QStringLiteral("2"));
    EXPECT_EQ(Variant(-0.5).toString(), QStringLiteral("-0.5"));
    EXPECT_EQ(Variant(1.0 / 3.0).toString(), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(Variant(1e20).toString(), QStringLiteral("1E+20"));
    EXPECT_EQ(Variant(1.5e-7).toString(), QStringLiteral("1.5E-07"));
    EXPECT_EQ(Variant(0.0).toString(), QStringLiteral("0"));
}

TEST(VariantNumberText, IgnoresACommaDecimalLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    EXPECT_EQ(Variant(1.25).toString(), QStringLiteral("1.25"));
    EXPECT_DOUBLE_EQ(Variant(QStringLiteral("1.25")).toDouble(), 1.25);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(VariantInteger, TextRoundsHalvesToEven) {
    EXPECT_EQ(Variant(QStringLiteral("2.5")).toInteger(), 2);
    EXPECT_EQ(Variant(QStringLiteral("3.5")).toInteger(), 4);
    EXPECT_EQ(Variant(QStringLiteral("-2.5")).toInteger(), -2);
    EXPECT_EQ(Variant(QStringLiteral(" 7 ")).toInteger(), 7);
    EXPECT_EQ(Variant(QStringLiteral("+7")).toInteger(), 7);
    EXPECT_EQ(Variant(QStringLiteral("32767")).toInteger(), 32767);
    EXPECT_EQ(Variant(QStringLiteral("-32768")).toInteger(), -32768);
}

TEST(VariantInteger, OverflowAndTypeMismatchCarryTheirNumbers) {
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("40000")).toInteger(); }), automation::Overflow);
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("-32769")).toInteger(); }), automation::Overflow);
    EXPECT_EQ(errorNumberOf([] { Variant(std::int32_t{70000}).toInteger(); }), automation::Overflow);
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("abc")).toInteger(); }), automation::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant(QString()).toInteger(); }), automation::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("1.2.3")).toDouble(); }), automation::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("nan")).toDouble(); }), automation::TypeMismatch);
}

TEST(VariantBoolean, TrueIsMinusOneAndTextReadsWordsOrNumbers) {
    EXPECT_EQ(Variant(true).toInteger(), -1);
    EXPECT_EQ(Variant(false).toLong(), 0);
    EXPECT_EQ(Variant(true).toString(), QStringLiteral("True"));
    EXPECT_TRUE(Variant(QStringLiteral("tRuE")).toBool());
    EXPECT_FALSE(Variant(QStringLiteral("FALSE")).toBool());
    EXPECT_TRUE(Variant(QStringLiteral("-1")).toBool());
    EXPECT_FALSE(Variant(QStringLiteral("0")).toBool());
    EXPECT_TRUE(Variant(std::int16_t{2}).toBool());
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("yes")).toBool(); }), automation::TypeMismatch);
}

TEST(VariantArrayBounds, BooleanListFromMinusOneToMinusOne) {
    VariantArray flags{-1, {Variant(true)}};
    EXPECT_EQ(flags.upperBound(), -1);
    EXPECT_TRUE(flags.at(-1).toBool());
    EXPECT_EQ(errorNumberOf([&] { flags.at(0); }), automation::SubscriptOutOfRange);
    Variant holder(flags);
    holder.toArray().at(-1) = Variant(false);
    EXPECT_FALSE(holder.toArray().at(-1).toBool());
    EXPECT_TRUE(flags.at(-1).toBool()) << "a Variant keeps its own copy of an array";
}

TEST(VariantObject, OnlyObjectsConvertToObjects) {
    EXPECT_EQ(Variant(std::shared_ptr<automation::Dispatch>()).toObject(), nullptr);
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("x")).toObject(); }), automation::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant(VariantArray{}).toString(); }), automation::TypeMismatch);
}
