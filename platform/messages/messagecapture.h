#pragma once
// Records the message boxes that would have been shown while it lives, instead of showing them,
// so that tests can check what a user would have seen. The presenter it replaced comes back when
// it goes.

#include "messageservice.h"
#include "platform_export.h"

#include <QString>
#include <vector>

namespace messages {

struct ShownMessage {
    QString title;
    QString text;
    bool operator==(const ShownMessage&) const = default;
};

class PLATFORM_EXPORT MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    // The messages in the order they were shown.
    const std::vector<ShownMessage>& shown() const { return m_shown; }

private:
    Presenter m_replaced;
    std::vector<ShownMessage> m_shown;
};

} // namespace messages
