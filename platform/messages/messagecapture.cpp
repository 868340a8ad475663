#include "messagecapture.h"

namespace messages {

MessageCapture::MessageCapture()
    : m_replaced(setPresenter([this](const QString& text, const QString& title) {
          m_shown.push_back({title, text});
      })) {}

MessageCapture::~MessageCapture() {
    setPresenter(std::move(m_replaced));
}

} // namespace messages
