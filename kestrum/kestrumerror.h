#pragma once
// What Kestrum raises when a file cannot be read or written, an index is out of range or the peak
// finder is asked for something it cannot do: a numbered error with a description that names
// the file, the index or the field, so that callers can show it as it stands.

#include "errors/numberederror.h"

namespace kestrum {

class KestrumError : public errors::NumberedError {
public:
    using NumberedError::NumberedError;

    // Kestrum's own failure (number 1) with a user-readable description.
    static KestrumError system(QString description, QString source = {}) {
        return KestrumError(errors::SystemError, std::move(description), std::move(source));
    }
};

} // namespace kestrum
