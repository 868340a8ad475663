#include "messages/messagecapture.h"
#include "messages/messageservice.h"

#include <QStringList>
#include <gtest/gtest.h>

using messages::MessageCapture;
using messages::ShownMessage;

TEST(MessageService, WithoutAPresenterMessagesGoToStandardError) {
    testing::internal::CaptureStderr();
    messages::show(QStringLiteral("Failed to set key"), QStringLiteral("Sorvex search submission error"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sorvex search submission error: Failed to set key\n");
}

TEST(MessageService, CapturesRecordInOrderAndNestedCapturesHandBackInTurn) {
    MessageCapture outer;
    messages::show(QStringLiteral("one"), QStringLiteral("Error"));
    {
        MessageCapture inner;
        messages::show(QStringLiteral("two"), QStringLiteral("Error"));
        EXPECT_EQ(inner.shown(),
                  (std::vector<ShownMessage>{{QStringLiteral("Error"), QStringLiteral("two")}}));
    }
    messages::show(QStringLiteral("three"), QStringLiteral("Title"));
    EXPECT_EQ(outer.shown(), (std::vector<ShownMessage>{{QStringLiteral("Error"), QStringLiteral("one")},
                                                        {QStringLiteral("Title"), QStringLiteral("three")}}));
}

TEST(MessageService, SetPresenterReturnsTheOneItReplacesAndEmptyRestoresStandardError) {
    QStringList seen;
    const auto previous = messages::setPresenter(
        [&seen](const QString& text, const QString& title) { seen << title + u'|' + text; });
    messages::show(QStringLiteral("text"), QStringLiteral("title"));
    const auto mine = messages::setPresenter(previous);
    EXPECT_EQ(seen, QStringList{QStringLiteral("title|text")});
    ASSERT_TRUE(mine);

    messages::setPresenter({});
    testing::internal::CaptureStderr();
    messages::show(QStringLiteral("b"), QStringLiteral("a"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "a: b\n");
    messages::setPresenter(previous);
}
