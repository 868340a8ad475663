#include "virtualkeys.h"

#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/keysymdef.h>

#include <array>
#include <utility>

namespace winapi {

namespace {

struct NamedKey {
    int virtualKey;
    KeySym keySym;
};

// Keys outside the letter and digit ranges. A virtual key listed twice answers to both symbols;
// the first is the one a key press sends.
constexpr std::array namedKeys{
    NamedKey{0x08, XK_BackSpace},    NamedKey{0x09, XK_Tab},         NamedKey{0x0C, XK_Clear},
    NamedKey{0x0D, XK_Return},       NamedKey{0x10, XK_Shift_L},     NamedKey{0x10, XK_Shift_R},
    NamedKey{0x11, XK_Control_L},    NamedKey{0x11, XK_Control_R},   NamedKey{0x12, XK_Alt_L},
    NamedKey{0x12, XK_Alt_R},        NamedKey{0x12, XK_Meta_L},      NamedKey{0x12, XK_ISO_Level3_Shift},
    NamedKey{0x13, XK_Pause},        NamedKey{0x14, XK_Caps_Lock},   NamedKey{0x1B, XK_Escape},
    NamedKey{0x20, XK_space},        NamedKey{0x21, XK_Prior},       NamedKey{0x22, XK_Next},
    NamedKey{0x23, XK_End},          NamedKey{0x24, XK_Home},        NamedKey{0x25, XK_Left},
    NamedKey{0x26, XK_Up},           NamedKey{0x27, XK_Right},       NamedKey{0x28, XK_Down},
    NamedKey{0x2C, XK_Print},        NamedKey{0x2D, XK_Insert},      NamedKey{0x2E, XK_Delete},
    NamedKey{0x2F, XK_Help},         NamedKey{0x5B, XK_Super_L},     NamedKey{0x5C, XK_Super_R},
    NamedKey{0x5D, XK_Menu},         NamedKey{0x6A, XK_KP_Multiply}, NamedKey{0x6B, XK_KP_Add},
    NamedKey{0x6C, XK_KP_Separator}, NamedKey{0x6D, XK_KP_Subtract}, NamedKey{0x6E, XK_KP_Decimal},
    NamedKey{0x6F, XK_KP_Divide},    NamedKey{0x90, XK_Num_Lock},    NamedKey{0x91, XK_Scroll_Lock},
    NamedKey{0xA0, XK_Shift_L},      NamedKey{0xA1, XK_Shift_R},     NamedKey{0xA2, XK_Control_L},
    NamedKey{0xA3, XK_Control_R},    NamedKey{0xA4, XK_Alt_L},       NamedKey{0xA5, XK_Alt_R},
    NamedKey{0xBA, XK_semicolon},    NamedKey{0xBB, XK_equal},       NamedKey{0xBC, XK_comma},
    NamedKey{0xBD, XK_minus},        NamedKey{0xBE, XK_period},      NamedKey{0xBF, XK_slash},
    NamedKey{0xC0, XK_grave},        NamedKey{0xDB, XK_bracketleft}, NamedKey{0xDC, XK_backslash},
    NamedKey{0xDD, XK_bracketright}, NamedKey{0xDE, XK_apostrophe},
};

// Letters, digits, keypad digits and function keys come in runs of consecutive numbers.
struct KeyRun {
    int firstVirtualKey;
    int lastVirtualKey;
    KeySym firstKeySym;
};

constexpr std::array keyRuns{
    KeyRun{0x30, 0x39, XK_0},
    KeyRun{0x41, 0x5A, XK_a},
    KeyRun{0x60, 0x69, XK_KP_0},
    KeyRun{0x70, 0x87, XK_F1},
};

} // namespace

std::vector<KeySym> keySymsOfVirtualKey(int virtualKey) {
    for (const KeyRun& run : keyRuns)
        if (virtualKey >= run.firstVirtualKey && virtualKey <= run.lastVirtualKey)
            return {run.firstKeySym + static_cast<KeySym>(virtualKey - run.firstVirtualKey)};
    std::vector<KeySym> keySyms;
    for (const NamedKey& key : namedKeys)
        if (key.virtualKey == virtualKey)
            keySyms.push_back(key.keySym);
    return keySyms;
}

int virtualKeyOfKeySym(KeySym keySym) {
    for (const KeyRun& run : keyRuns) {
        const KeySym lastKeySym =
            run.firstKeySym + static_cast<KeySym>(run.lastVirtualKey - run.firstVirtualKey);
        if (keySym >= run.firstKeySym && keySym <= lastKeySym)
            return run.firstVirtualKey + static_cast<int>(keySym - run.firstKeySym);
    }
    for (const NamedKey& key : namedKeys)
        if (key.keySym == keySym)
            return key.virtualKey;
    return 0;
}

} // namespace winapi
