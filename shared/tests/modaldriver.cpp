#include "modaldriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace modaldriver {

void ensureApplication() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "shared_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

namespace {

void poll(std::function<void(QWidget*)> action, QWidget* notThis, std::shared_ptr<QElapsedTimer> waited) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != notThis && modal->isVisible()) {
        action(modal);
        return;
    }
    if (waited->elapsed() > 5000) {
        ADD_FAILURE() << "no modal window appeared";
        return;
    }
    QTimer::singleShot(10, [action = std::move(action), notThis, waited] { poll(action, notThis, waited); });
}

} // namespace

void onNextModal(std::function<void(QWidget*)> action, QWidget* notThis) {
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QTimer::singleShot(0, [action = std::move(action), notThis, waited] { poll(action, notThis, waited); });
}

} // namespace modaldriver
