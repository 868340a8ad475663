#pragma once
// Puts the settings store back into the state of a freshly loaded library: registry mode, an
// empty parameter store and empty saved lists, so that no test sees another's in-memory values.

#include "settings/registryfuncs.h"

inline void resetInMemoryMode() {
    RegistryFuncs::SetUseParamStore(false);
    RegistryFuncs::ParamStore().clear();
    RegistryFuncs::ClearSavedLists();
}
