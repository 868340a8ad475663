#pragma once
// Object arguments of late-bound calls to the public classes, checked for their class.

#include "automation/dispatch.h"

#include <memory>

namespace objectarguments {

// The argument as an object of class T; "Type mismatch" for anything else.
template <class T> std::shared_ptr<T> objectArgument(automation::Arguments& args, std::size_t index) {
    const automation::Variant& argument = automation::argumentAt(args, index);
    auto object = argument.isObject() ? std::dynamic_pointer_cast<T>(argument.toObject()) : nullptr;
    if (!object)
        throw automation::AutomationError::standard(automation::TypeMismatch);
    return object;
}

} // namespace objectarguments
