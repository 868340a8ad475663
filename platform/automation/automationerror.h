#pragma once
// Errors that cross the automation layer are the platform's numbered errors: a number, a
// description and a source, as the system's callers expect them. The dispatch layer and the faces
// name them AutomationError; plain code raises and catches errors::NumberedError, the same type, so
// an error reaches a late-bound caller with its number and text unchanged.

#include "errors/numberederror.h"

namespace automation {

using AutomationError = errors::NumberedError;
using errors::ErrorNumber;
using enum errors::ErrorNumber;
using errors::standardDescription;

} // namespace automation
