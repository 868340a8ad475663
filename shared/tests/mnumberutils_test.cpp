#include "errors/numberederror.h"
#include "modaldriver.h"
#include "qstringprinting.h"
#include "shared/mnumberutils.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <limits>

using namespace MNumberUtils;

namespace {

constexpr std::int16_t lowest = std::numeric_limits<std::int16_t>::min();
constexpr std::int16_t highest = std::numeric_limits<std::int16_t>::max();

bool integerInRange(const char* text, std::int16_t minimum = lowest, std::int16_t maximum = highest) {
    std::int16_t value = 0;
    return IsIntegerInRange(QString::fromLatin1(text), minimum, maximum, value);
}

} // namespace

TEST(MNumberUtilsChecks, IntegerRejectsFractionsLettersOverflowAndEmptyTextWhateverTheBounds) {
    for (const char* text : {"2.5", "2.0000001", "abc", "7x", "40000", "-40000", "", " "}) {
        EXPECT_FALSE(integerInRange(text)) << text;
        EXPECT_FALSE(integerInRange(text, 0, 10)) << text;
    }
}

TEST(MNumberUtilsChecks, IntegerAcceptsWholeNumbersWithinTheBoundsIncluded) {
    EXPECT_TRUE(integerInRange("7", 7, 7));
    EXPECT_TRUE(integerInRange("7", 0, 7));
    EXPECT_TRUE(integerInRange("7", 7, 10));
    EXPECT_FALSE(integerInRange("7", 8, 10));
    EXPECT_FALSE(integerInRange("7", 0, 6));
    EXPECT_TRUE(integerInRange(" 12 ", 0, 100));
    EXPECT_TRUE(integerInRange("3.0", 0, 100));
    EXPECT_TRUE(integerInRange("1E2", 0, 100));
    EXPECT_TRUE(integerInRange("-32768"));
    EXPECT_TRUE(integerInRange("32767"));
}

TEST(MNumberUtilsChecks, IntegerValueIsStoredEvenWhenTheCheckFails) {
    std::int16_t value = 99;
    EXPECT_FALSE(IsIntegerInRange(QStringLiteral("2.5"), 0, 10, value));
    EXPECT_EQ(value, 2); // halves round to the even neighbour
    EXPECT_FALSE(IsIntegerInRange(QStringLiteral("3.5"), 0, 10, value));
    EXPECT_EQ(value, 4);
    EXPECT_FALSE(IsIntegerInRange(QStringLiteral("20"), 0, 10, value));
    EXPECT_EQ(value, 20);
    value = 99;
    EXPECT_FALSE(IsIntegerInRange(QStringLiteral("abc"), 0, 10, value));
    EXPECT_EQ(value, 99);
}

TEST(MNumberUtilsChecks, NumberAcceptsDecimalsWithAFullStopWithinTheBoundsIncluded) {
    double value = 0;
    EXPECT_TRUE(IsNumberInRange(QStringLiteral("0.5"), 0.0, 1.0, value));
    EXPECT_DOUBLE_EQ(value, 0.5);
    EXPECT_TRUE(IsNumberInRange(QStringLiteral("1"), 0.0, 1.0, value));
    EXPECT_TRUE(IsNumberInRange(QStringLiteral("0"), 0.0, 1.0, value));
    EXPECT_FALSE(IsNumberInRange(QStringLiteral("1.5"), 0.0, 1.0, value));
    EXPECT_DOUBLE_EQ(value, 1.5);
    value = 7;
    EXPECT_FALSE(IsNumberInRange(QStringLiteral("0,5"), 0.0, 1.0, value));
    EXPECT_FALSE(IsNumberInRange(QStringLiteral("x"), 0.0, 1.0, value));
    EXPECT_FALSE(IsNumberInRange(QString(), 0.0, 1.0, value));
    EXPECT_DOUBLE_EQ(value, 7);
}

namespace {

class MNumberUtilsTextBox : public ::testing::Test {
protected:
    static void SetUpTestSuite() { modaldriver::ensureApplication(); }

    void SetUp() override {
        auto* layout = new QVBoxLayout(&m_window);
        layout->addWidget(m_other = new QLineEdit(&m_window));
        layout->addWidget(m_field = new QLineEdit(&m_window));
        m_window.show();
        m_other->setFocus();
    }

    // The description of the error reading the field raised; "" when it raised none.
    template <typename Read> QString errorOf(Read read) {
        try {
            read();
        } catch (const errors::NumberedError& error) {
            EXPECT_EQ(error.number(), errors::SystemError);
            return error.description();
        }
        return {};
    }

    void expectFieldSelectedForRetyping() {
        EXPECT_EQ(m_window.focusWidget(), m_field);
        EXPECT_EQ(m_field->selectedText(), m_field->text());
    }

    QWidget m_window;
    QLineEdit* m_other = nullptr;
    QLineEdit* m_field = nullptr;
};

} // namespace

TEST_F(MNumberUtilsTextBox, IntegerFieldGivesItsValueOrIsSelectedAndExplained) {
    m_field->setText(QStringLiteral("25"));
    EXPECT_EQ(GetIntegerFromTextBox(*m_field, 1, 100), 25);
    EXPECT_EQ(m_window.focusWidget(), m_other);
    for (const char* text : {"abc", "2.5", "101", ""}) {
        m_other->setFocus();
        m_field->setText(QString::fromLatin1(text));
        EXPECT_EQ(errorOf([this] { GetIntegerFromTextBox(*m_field, 1, 100); }),
                  QStringLiteral("This field must be an integer between 1 and 100."))
            << text;
        expectFieldSelectedForRetyping();
    }
    m_field->setText(QStringLiteral("0"));
    EXPECT_EQ(errorOf([this] { GetIntegerFromTextBox(*m_field, -5, -1); }),
              QStringLiteral("This field must be an integer between -5 and -1."));
}

TEST_F(MNumberUtilsTextBox, NumberFieldGivesItsValueOrIsExplainedWithBoundsAsTheSystemWritesThem) {
    m_field->setText(QStringLiteral("0.25"));
    EXPECT_DOUBLE_EQ(GetNumberFromTextBox(*m_field, 0.0, 1.0), 0.25);
    m_field->setText(QStringLiteral("3"));
    EXPECT_EQ(errorOf([this] { GetNumberFromTextBox(*m_field, 0.1, 2.5); }),
              QStringLiteral("This field must be a number between 0.1 and 2.5."));
    expectFieldSelectedForRetyping();
    m_field->setText(QStringLiteral("many"));
    EXPECT_EQ(errorOf([this] { GetNumberFromTextBox(*m_field, 0.0, 1e20); }),
              QStringLiteral("This field must be a number between 0 and 1E+20."));
    expectFieldSelectedForRetyping();
    // A named field is named; a decimal comma gets a hint.
    m_field->setAccessibleName(QStringLiteral("Precursor mass tolerance for grouping"));
    m_field->setText(QStringLiteral("1,5"));
    EXPECT_EQ(
        errorOf([this] { GetNumberFromTextBox(*m_field, 0.0, 10.0); }),
        QStringLiteral("This field (Precursor mass tolerance for grouping) must be a number between 0 and "
                       "10. Write decimals with a point: 1.5."));
}
