#include "mlogger.h"

#include "settings/registryfuncs.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace MLogger {

namespace {

struct LoggerState {
    bool loggerReady = false;
    bool logEnabled = false;
    QString logFilePath;
    QString libraryPathOverride;
    std::function<QDateTime()> clock;
    std::function<bool()> debugKeysHeld;
};

LoggerState& state() {
    static LoggerState loggerState;
    return loggerState;
}

// The file this code was loaded from: the script library, or the program that links it in.
QString libraryFilePath() {
    static const char anchor = 0;
    Dl_info info{};
    if (dladdr(&anchor, &info) != 0 && info.dli_fname && info.dli_fname[0] == '/')
        return QString::fromLocal8Bit(info.dli_fname);
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

QString logFilePathBeside(const QString& libraryPath) {
    const QFileInfo library(libraryPath);
    return library.absolutePath() + u'/' + library.completeBaseName() + QStringLiteral(".debug");
}

void InitLogger() {
    LoggerState& logger = state();
    if (logger.loggerReady)
        return;
    logger.loggerReady = true;
    // Written back at once, so that a user finds the switch in the settings after the first run.
    const QString debug =
        RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, QStringLiteral("Debug"), QStringLiteral("0"));
    RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QStringLiteral("Debug"), debug);
    logger.logEnabled = debug != QStringLiteral("0") || (logger.debugKeysHeld && logger.debugKeysHeld());
    logger.logFilePath = logFilePathBeside(logger.libraryPathOverride.isEmpty() ? libraryFilePath()
                                                                                : logger.libraryPathOverride);
    QFile::remove(logger.logFilePath);
}

QString timestamp(const QDateTime& now) {
    const QDate date = now.date();
    const QTime time = now.time();
    return QString::asprintf("%02d.%02d.%02d.%02d.%02d", date.month(), date.day(), time.hour(), time.minute(),
                             time.second());
}

void WriteLogLine(const QString& text) {
    const LoggerState& logger = state();
    const QDateTime now = logger.clock ? logger.clock() : QDateTime::currentDateTime();
    QFile file(logger.logFilePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write((timestamp(now) + u'\t' + text + QStringLiteral("\r\n")).toLocal8Bit());
}

} // namespace

void LogMessage(const QString& text) {
    InitLogger();
    if (state().logEnabled)
        WriteLogLine(text);
}

bool IsLogEnabled() {
    InitLogger();
    return state().logEnabled;
}

void SetDebugKeysCheck(std::function<bool()> shiftAndControlHeld) {
    state().debugKeysHeld = std::move(shiftAndControlHeld);
}

namespace Testing {

void Reload(const QString& libraryPath) {
    LoggerState& logger = state();
    logger.loggerReady = false;
    logger.logEnabled = false;
    logger.logFilePath.clear();
    logger.libraryPathOverride = libraryPath;
}

void SetClock(std::function<QDateTime()> now) {
    state().clock = std::move(now);
}

QString LogFilePath() {
    InitLogger();
    return state().logFilePath;
}

} // namespace Testing

} // namespace MLogger
