#pragma once
// The diagnostic log for support: when switched on, every part of the script library writes one
// line per notable step to a text file beside the library (lib.so logs to lib.debug). It is
// switched on by a "Debug" setting other than "0", or by holding Shift and Control when the
// library first logs (a check the script layer hands in, as only it reaches the keyboard); the
// choice holds until the library is loaded again. Each load starts a
// fresh file, and each line is appended and the file closed again, so nothing is lost if the
// host ends abruptly. Logging never raises an error to its callers.

#include <QDateTime>
#include <QString>
#include <functional>

namespace MLogger {

// Appends "mm.dd.HH.MM.SS<tab>text" and CR LF when logging is on; nothing otherwise.
void LogMessage(const QString& text);
// Whether lines are written, so that callers can skip work that only feeds the log.
bool IsLogEnabled();
// Whether Shift and Control are both held, asked once when the log initialises. Without a check
// (a program that has no keyboard of its own) the keys count as not held.
void SetDebugKeysCheck(std::function<bool()> shiftAndControlHeld);

// For tests: the state of a freshly loaded library, and a clock other than the system's.
namespace Testing {
// Forgets the initialisation as a new load of the library would; the next call initialises again,
// logging beside `libraryPath` (when empty, beside the library file itself).
void Reload(const QString& libraryPath = {});
// Takes each line's time from `now`; an empty function restores the system clock.
void SetClock(std::function<QDateTime()> now);
// The path of the log file, initialising the logger when needed.
QString LogFilePath();
} // namespace Testing

} // namespace MLogger
