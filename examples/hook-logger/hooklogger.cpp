#include "hooklogger.h"

#include "automation/memberbinding.h"

#include <QFile>

namespace hooklogger {

namespace {

// Appends one line to the log file; an error stops the host's batch with its description.
void appendLine(const QString& line) {
    const QString path = qEnvironmentVariable("HOOK_LOGGER_FILE");
    if (path.isEmpty())
        throw automation::AutomationError::system(
            QStringLiteral("HOOK_LOGGER_FILE does not name the file to write the hooks to."));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text) ||
        file.write((line + QLatin1Char('\n')).toUtf8()) < 0 || !file.flush())
        throw automation::AutomationError::system(
            QStringLiteral("Cannot append to '%1': %2").arg(path, file.errorString()));
}

} // namespace

const automation::DispatchTable<ProcessClass>& ProcessClass::dispatchTable() {
    using automation::bindMember;
    static const auto table =
        automation::DispatchTable<ProcessClass>()
            .method(QStringLiteral("BatchStart"), bindMember(&ProcessClass::BatchStart))
            .method(QStringLiteral("BatchEnd"), bindMember(&ProcessClass::BatchEnd))
            .method(QStringLiteral("SampleStart"), bindMember(&ProcessClass::SampleStart))
            .method(QStringLiteral("SampleEnd"), bindMember(&ProcessClass::SampleEnd));
    return table;
}

void ProcessClass::BatchStart() {
    appendLine(QStringLiteral("BatchStart"));
}

void ProcessClass::SampleStart(const QString& filename, std::int16_t sampleIndex) {
    appendLine(QStringLiteral("SampleStart %1 %2").arg(filename).arg(sampleIndex));
}

void ProcessClass::SampleEnd(const QString& filename, std::int16_t sampleIndex) {
    appendLine(QStringLiteral("SampleEnd %1 %2").arg(filename).arg(sampleIndex));
}

void ProcessClass::BatchEnd() {
    appendLine(QStringLiteral("BatchEnd"));
}

} // namespace hooklogger
