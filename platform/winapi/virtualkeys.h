#pragma once
// The keyboard's virtual-key numbering (letters 0x41.., digits 0x30.., punctuation as on a US
// layout) and the X key symbols of the keys each number stands for.

#include <X11/X.h>

#include <vector>

namespace winapi {

// Key symbols of a virtual key, the main one first (Shift stands for both Shift keys); empty
// when the number names no key.
std::vector<KeySym> keySymsOfVirtualKey(int virtualKey);
// The virtual key whose main symbol is this one, or 0 when no virtual key names it.
int virtualKeyOfKeySym(KeySym keySym);

} // namespace winapi
