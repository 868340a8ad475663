#include "commonwin32api.h"

#include "winapi/keystate.h"

namespace CommonWin32API {

bool IsKeyDown(int virtualKey) {
    return winapi::isKeyDown(virtualKey);
}

} // namespace CommonWin32API
