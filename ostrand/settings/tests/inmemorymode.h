#pragma once
// Puts the settings store back into the state of a freshly loaded library: registry mode, an
// empty parameter store and empty saved lists, so that no test sees another's in-memory values.

#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"

inline void resetInMemoryMode() {
    RegistryFuncs::SetUseParamStore(false);
    RegistryFuncs::ParamStore().clear();
    RegistryFuncs::ClearSavedLists();
}

// The processing parameters as an export would load them from the settings store now.
inline ostrand::ProcessingParameters storedParameters() {
    ostrand::ProcessingParameters parameters;
    parameters.SetInfoFromRegistry();
    return parameters;
}
