#include "modaldriver.h"
#include "shared/messageboxpresenter.h"

#include "messages/messageservice.h"

#include <QAbstractButton>
#include <QApplication>
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
