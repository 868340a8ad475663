#pragma once
// The batch search client's hold on the processing parameters: two parallel comma-separated
// lists of value names and values that the client keeps, shows and hands back, turned into a
// ProcessingParameters object for its exports. The lists themselves are BatchParameterLists',
// which run the options dialog's rules without a window; only Options_Form_Show opens the dialog.
// The state is the settings store's, shared by every object of the library in the process.

#include "automation/dispatch.h"

#include <memory>

namespace ostrand {
class ProcessingParameters;
}

class Options4Daemon : public automation::DispatchObject<Options4Daemon> {
public:
    static QString staticClassName() { return QStringLiteral("Options4Daemon"); }
    static const automation::DispatchTable<Options4Daemon>& dispatchTable();

    // Lists of the current in-memory parameters; on a freshly loaded library the factory defaults.
    void Set_Params_String_Defaults();
    // Lets the user edit the lists in the options dialog (without its server frame); a cancel
    // keeps the lists as they were.
    void Options_Form_Show();
    QString Params_Values() const;
    QString Params_Keys() const;
    // Replaces the in-memory parameters with the lists (the first of names equal but for case
    // wins); lists without a comma, or of different lengths, leave every parameter at its
    // default. Afterwards the lists are normalised: complete and in the dialog's save order.
    void Set_Params_Strings(const QString& keys, const QString& values);
    // The parameters of the in-memory store.
    std::shared_ptr<ostrand::ProcessingParameters> Get_Params_Object() const;
};
