#include "modaldriver.h"
#include "shared/messageboxpresenter.h"

#include "messages/messageservice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace {

// Puts the presenter that was there before back when the test ends.
class PresenterGuard {
public:
    PresenterGuard() : m_previous(messages::setPresenter({})) {}
    ~PresenterGuard() { messages::setPresenter(std::move(m_previous)); }
    PresenterGuard(const PresenterGuard&) = delete;
    PresenterGuard& operator=(const PresenterGuard&) = delete;

private:
    messages::Presenter m_previous;
};

} // namespace

TEST(MessageBoxPresenter, WithoutAWidgetApplicationMessagesGoToStandardError) {
    if (QCoreApplication::instance())
        GTEST_SKIP() << "a widget application already runs in this test program";
    const PresenterGuard guard;
    messages::installMessageBoxPresenter();
    testing::internal::CaptureStderr();
    messages::show(QStringLiteral("Failed to set key"), QStringLiteral("Sorvex search submission error"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sorvex search submission error: Failed to set key\n");
}

TEST(MessageBoxPresenter, ShowsAModalBoxWithTitleTextAndOnlyAnOkButton) {
    modaldriver::ensureApplication();
    const PresenterGuard guard;
    messages::installMessageBoxPresenter();

    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    qsizetype buttonCount = 0;
    modaldriver::onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_TRUE(box);
        title = box->windowTitle();
        text = box->text();
        buttons = box->standardButtons();
        buttonCount = box->buttons().size();
        box->button(QMessageBox::Ok)->click();
    });
    messages::show(QStringLiteral("Failed to create key - error = 5"),
                   QStringLiteral("Sorvex search submission error"));

    EXPECT_EQ(title, QStringLiteral("Sorvex search submission error"));
    EXPECT_EQ(text, QStringLiteral("Failed to create key - error = 5"));
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(buttonCount, 1);
    EXPECT_FALSE(QApplication::activeModalWidget()) << "the box is closed once OK is pressed";
}

// A message about a field, shown while the field has the focus, is centred on its window and
// leaves the field's row, label included, in view: wherever the field sits in the window.
TEST(MessageBoxPresenter, ABoxAboutAFieldLeavesTheFieldAndItsLabelInView) {
    modaldriver::ensureApplication();
    const PresenterGuard guard;
    messages::installMessageBoxPresenter();
    for (const int fieldRow : {0, 5, 9}) {
        SCOPED_TRACE(fieldRow);
        QWidget window;
        auto* rows = new QFormLayout(&window);
        QLineEdit* field = nullptr;
        for (int row = 0; row < 10; ++row) {
            auto* edit = new QLineEdit;
            rows->addRow(QStringLiteral("Precursor mass tolerance %1").arg(row), edit);
            if (row == fieldRow)
                field = edit;
        }
        window.resize(420, 400);
        window.move(100, 80);
        window.show();
        window.activateWindow();
        field->setFocus();
        QApplication::processEvents();
        const QWidget* label = rows->labelForField(field);
        const QRect fieldRowOnScreen(label->mapToGlobal(QPoint(0, 0)),
                                     field->mapToGlobal(QPoint(field->width(), field->height())));

        QRect boxOnScreen;
        QWidget* boxParent = nullptr;
        modaldriver::onNextModal([&](QWidget* modal) {
            boxOnScreen = modal->frameGeometry();
            boxParent = modal->parentWidget();
            qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
        });
        messages::show(
            QStringLiteral("This field (Precursor mass tolerance) must be a number between 0 and 10."),
            QStringLiteral("Error"));
        EXPECT_EQ(boxParent, &window);
        EXPECT_FALSE(boxOnScreen.intersects(fieldRowOnScreen))
            << "box " << boxOnScreen.top() << ".." << boxOnScreen.bottom() << ", field row "
            << fieldRowOnScreen.top() << ".." << fieldRowOnScreen.bottom();
        EXPECT_NEAR(boxOnScreen.center().x(), window.frameGeometry().center().x(), 2);
    }
}
