#include "options4daemon.h"

#include "batchparameterlists.h"

#include "automation/memberbinding.h"
#include "automation/processingparametersface.h"
#include "errors/numberederror.h"
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"
#include "settings/ui/optionsformvirus.h"

const automation::DispatchTable<Options4Daemon>& Options4Daemon::dispatchTable() {
    using automation::bindMember;
    using O = Options4Daemon;
    // The members in interface slot order.
    static const auto table =
        automation::DispatchTable<O>()
            .method(QStringLiteral("Set_Params_String_Defaults"), bindMember(&O::Set_Params_String_Defaults))
            .method(QStringLiteral("Options_Form_Show"), bindMember(&O::Options_Form_Show))
            .propertyGet(QStringLiteral("Params_Values"), bindMember(&O::Params_Values))
            .propertyGet(QStringLiteral("Params_Keys"), bindMember(&O::Params_Keys))
            .method(QStringLiteral("Set_Params_Strings"), bindMember(&O::Set_Params_Strings))
            .method(QStringLiteral("Get_Params_Object"), [](O& self, automation::Arguments&) {
                return automation::Variant(std::shared_ptr<automation::Dispatch>(
                    std::make_shared<ProcessingParametersFace>(self.Get_Params_Object())));
            });
    return table;
}

void Options4Daemon::Set_Params_String_Defaults() {
    BatchParameterLists::setDefaults();
}

void Options4Daemon::Options_Form_Show() {
    RegistryFuncs::SetUseParamStore(true);
    const QString keptKeys = RegistryFuncs::SavedKeys();
    const QString keptValues = RegistryFuncs::SavedValues();
    RegistryFuncs::ClearSavedLists();
    // The dialog as the batch client uses it: IDA data, charge to be determined, not one spectrum.
    OptionsFormVirus& form = OptionsFormVirus::instance();
    form.SetSearchParameters(false, true, true);
    // The server settings are not the batch client's to change. Reaching the controls loads them
    // from the parameter store.
    try {
        form.DisableServerFrameControls();
    } catch (const errors::NumberedError&) {
    }
    form.Show();
    // Only OK saves, so empty lists mean the user cancelled.
    if (RegistryFuncs::SavedKeys().isEmpty())
        RegistryFuncs::SetSavedLists(keptKeys, keptValues);
    Set_Params_Strings(RegistryFuncs::SavedKeys(), RegistryFuncs::SavedValues());
}

QString Options4Daemon::Params_Values() const {
    return BatchParameterLists::values();
}

QString Options4Daemon::Params_Keys() const {
    return BatchParameterLists::keys();
}

void Options4Daemon::Set_Params_Strings(const QString& keys, const QString& values) {
    BatchParameterLists::set(keys, values);
}

std::shared_ptr<ostrand::ProcessingParameters> Options4Daemon::Get_Params_Object() const {
    auto params = std::make_shared<ostrand::ProcessingParameters>();
    params->SetInfoFromRegistry();
    return params;
}
