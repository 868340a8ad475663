#pragma once
// Errors that cross the automation layer are the platform's numbered errors: a number, a
// description and a source, as the system's callers expect them. Callers catch them as
// AutomationError whichever layer raised them.

#include "errors/numberederror.h"

namespace automation {

using AutomationError = errors::NumberedError;
using errors::ErrorNumber;
using enum errors::ErrorNumber;
using errors::standardDescription;

} // namespace automation
