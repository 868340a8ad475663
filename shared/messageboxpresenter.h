#pragma once
// Message boxes for the programs with windows: each message of the message service appears in a
// modal box with its title, its text and an OK button, as the user expects of a dialog. Without a
// widget application (a batch client, a test) messages still go to standard error.

#include "shared_utils_export.h"

#include <QString>

namespace messages {

// Makes every message from now on appear in a message box.
SHARED_UTILS_EXPORT void installMessageBoxPresenter();

// Shows one message in a modal box and returns when the user has pressed OK; on standard error
// when no widget application runs.
SHARED_UTILS_EXPORT void showMessageBox(const QString& text, const QString& title);

} // namespace messages
