// Compiled into every test executable: each test process gets the offscreen Qt platform and a
// settings folder of its own (removed when it ends), so that tests running side by side never
// share stored settings and no test reads or changes the settings of the user who runs it.
// Processes a test starts inherit the folder.

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> settingsFolder;

const bool environmentPrepared = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("OSTRAND_SETTINGS_DIR")) {
        settingsFolder = std::make_unique<QTemporaryDir>();
        setenv("OSTRAND_SETTINGS_DIR", settingsFolder->path().toLocal8Bit().constData(), 1);
    }
    return true;
}();

} // namespace
