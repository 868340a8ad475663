#pragma once
// Drives modal Qt dialogs from tests: a widget application for them to run in, and an action
// that runs once the next modal window is up, while the caller sits in that window's exec().

#include <QWidget>
#include <functional>

namespace modaldriver {

// Creates the application object that dialogs need, once per test program.
void ensureApplication();

// Runs `action` on the first active modal window other than `notThis` as soon as it is shown.
// A test fails when none appears within a few seconds.
void onNextModal(std::function<void(QWidget*)> action, QWidget* notThis = nullptr);

} // namespace modaldriver
