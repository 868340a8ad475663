// Compiled into every test executable: when a test binary runs outside CTest, it still gets the
// offscreen Qt platform and a settings folder of its own, so that no test reads or changes the
// settings of the user who runs it.

#include <QDir>
#include <QString>

#include <cstdlib>
#include <unistd.h>

namespace {

const bool environmentPrepared = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("OSTRAND_SETTINGS_DIR")) {
        const QString folder =
            QDir::temp().filePath(QStringLiteral("ostrand-test-settings-%1").arg(getpid()));
        setenv("OSTRAND_SETTINGS_DIR", QDir::toNativeSeparators(folder).toLocal8Bit().constData(), 1);
    }
    return true;
}();

} // namespace
