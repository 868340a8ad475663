#pragma once
// The one way the system shows a message box with an OK button. What actually shows it is the
// installed presenter: a real message box in programs with windows, a line on standard error
// otherwise, or a recorder in tests (see MessageCapture).

#include "platform_export.h"

#include <QString>
#include <functional>

namespace messages {

using Presenter = std::function<void(const QString& text, const QString& title)>;

// Shows the text under the title and returns when the user has acknowledged it.
PLATFORM_EXPORT void show(const QString& text, const QString& title);

// Makes `presenter` show every message from now on (an empty one restores standard error) and
// returns the presenter it replaces.
PLATFORM_EXPORT Presenter setPresenter(Presenter presenter);

// The presenter of programs without windows: "title: text" on standard error.
PLATFORM_EXPORT void writeToStandardError(const QString& text, const QString& title);

} // namespace messages
