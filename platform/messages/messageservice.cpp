#include "messageservice.h"

#include <cstdio>
#include <utility>

namespace messages {

namespace {

Presenter& currentPresenter() {
    static Presenter presenter = writeToStandardError;
    return presenter;
}

} // namespace

void show(const QString& text, const QString& title) {
    currentPresenter()(text, title);
}

Presenter setPresenter(Presenter presenter) {
    if (!presenter)
        presenter = writeToStandardError;
    return std::exchange(currentPresenter(), std::move(presenter));
}

void writeToStandardError(const QString& text, const QString& title) {
    const QByteArray line = (title + QStringLiteral(": ") + text + u'\n').toLocal8Bit();
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
}

} // namespace messages
