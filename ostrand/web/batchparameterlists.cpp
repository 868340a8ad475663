#include "batchparameterlists.h"

#include "sorvexwebsearch.h"

#include "settings/optionsmodel.h"
#include "settings/registryfuncs.h"

#include "messages/messageservice.h"

namespace BatchParameterLists {

namespace {

QString withoutTrailingComma(const QString& list) {
    return list.isEmpty() ? QString() : list.chopped(1);
}

void showError(const QString& text) {
    messages::show(text, QStringLiteral("Error"));
}

// The options dialog's OK step with no window, for the data the batch client exports (IDA data,
// charge to be determined, not one spectrum): the fields load from the parameter store, where every
// absent name reads as its default, and are saved into the lists.
void saveThroughOptionsRules() {
    ostrand::OptionsModel model;
    model.setDataFlags({.singleSpectrum = false, .ddeData = true, .needGuessChargeState = true});
    // In the in-memory mode the server choice is the batch client's and keeps its controls as they are.
    if (model.load([] { return SorvexWebSearch().GetWebSearchLocation(); }, showError))
        model.applyEnableRules(std::nullopt);
    if (const auto refusal = model.validate())
        showError(refusal->message);
    else
        model.save();
}

} // namespace

void setDefaults() {
    RegistryFuncs::ClearSavedLists();
    RegistryFuncs::SetUseParamStore(true);
    saveThroughOptionsRules();
    set(RegistryFuncs::SavedKeys(), RegistryFuncs::SavedValues());
}

void set(const QString& keys, const QString& values) {
    // Copies: the caller may hand over the saved lists themselves, which are emptied below.
    const QStringList names = keys.split(u',');
    const QStringList texts = values.split(u',');
    KeyedTextCollection& store = RegistryFuncs::ParamStore();
    store.clear();
    if (keys.contains(u',') && values.contains(u',') && names.size() == texts.size())
        for (qsizetype i = 0; i < names.size(); ++i)
            store.add(names[i], texts[i]);
    RegistryFuncs::SetUseParamStore(true);
    RegistryFuncs::ClearSavedLists();
    saveThroughOptionsRules();
}

QString keys() {
    return withoutTrailingComma(RegistryFuncs::SavedKeys());
}

QString values() {
    return withoutTrailingComma(RegistryFuncs::SavedValues());
}

} // namespace BatchParameterLists
