#include "progressreporter.h"

#include "common/commandline.h"
#include "common/exitcodes.h"

void ProgressReporter::update(const QString& label, qint64 done, qint64 total) {
    if (InterruptWatch::requested())
        throw commandline::Interrupted{};
    if (!m_quiet)
        m_progress.update(label, static_cast<double>(done), static_cast<double>(total));
}

int ProgressReporter::run(const QString& command, const QString& output, const std::function<void()>& work) {
    const commandline::FailureNotes notes{{}, QStringLiteral("; %1 was not written").arg(output)};
    return commandline::run(
        command,
        [&] {
            try {
                work();
            } catch (...) {
                // The message goes on a line of its own.
                finish();
                throw;
            }
            finish();
            return static_cast<int>(ExitOk);
        },
        notes);
}
