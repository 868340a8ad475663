#pragma once
// The batch search client's parameter lists without a window: two parallel comma-separated lists
// of value names and values, kept in the settings store's in-memory mode so that the user's stored
// settings are neither read for them nor written. The options model decides which names belong in
// the lists and in what order, as the options dialog's OK step saves them. The state is the
// settings store's, shared by everything in the process that uses it.

#include <QString>

namespace BatchParameterLists {

// Lists of the current in-memory parameters; with an empty parameter store the factory defaults.
void setDefaults();
// Replaces the in-memory parameters with the lists (the first of names equal but for case wins);
// lists without a comma, or of different lengths, leave every parameter at its default. The lists
// are then normalised: complete and in the dialog's save order. Values that the dialog refuses
// leave the lists empty, after the dialog's message.
void set(const QString& keys, const QString& values);
// The lists as the batch search client keeps them, without a closing comma.
QString keys();
QString values();

} // namespace BatchParameterLists
