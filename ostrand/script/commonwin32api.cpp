#include "commonwin32api.h"

#include "diagnostics/mlogger.h"

#include "files/tempfiles.h"
#include "winapi/keystate.h"
#include "winapi/windowactivation.h"

namespace CommonWin32API {

void BringWindowToFront(std::int32_t windowHandle) {
    winapi::bringWindowToFront(static_cast<std::uint32_t>(windowHandle));
}

QString GetUniqueTempFile(const QString& prefix) {
    return GetUniqueFileIn(prefix, files::temporaryFolder());
}

QString GetUniqueFileIn(const QString& prefix, const QString& folder) {
    return files::createUniqueFile(folder, prefix);
}

bool IsKeyDown(int virtualKey) {
    return winapi::isKeyDown(virtualKey);
}

void InstallDebugKeysCheck() {
    constexpr int shiftKey = 16;
    constexpr int controlKey = 17;
    MLogger::SetDebugKeysCheck([] { return IsKeyDown(shiftKey) && IsKeyDown(controlKey); });
}

} // namespace CommonWin32API
