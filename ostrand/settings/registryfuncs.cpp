#include "registryfuncs.h"

#include "messages/messageservice.h"
#include "registry/registrykey.h"

namespace RegistryFuncs {

namespace {

struct SettingsStoreState {
    bool useParamStore = false;
    KeyedTextCollection paramStore;
    QString savedKeys;
    QString savedValues;
};

SettingsStoreState& state() {
    static SettingsStoreState storeState;
    return storeState;
}

// The value that a ParamStore entry holds to mean "no value"; it reads as the default.
const QString absentMarker = QStringLiteral("xyzzy");
// Values read through a buffer of 256 bytes, the terminating null included.
constexpr qsizetype maximumValueBytes = 255;

// The diagnostic log's switch stays in the registry in every mode, so support can always use it.
bool goesToParamStore(const QString& valueName) {
    return state().useParamStore && valueName.toLower() != QStringLiteral("debug");
}

} // namespace

QString ReadSetting(const QString& keyPath, const QString& valueName, const QString& defaultText) {
    if (!goesToParamStore(valueName))
        return ReadRegistryString(true, keyPath, valueName, defaultText);
    const QString result = state().paramStore.item(valueName).value_or(absentMarker);
    return result == absentMarker ? defaultText : result;
}

QString ReadMachineSetting(const QString& keyPath, const QString& valueName, const QString& defaultText) {
    return ReadRegistryString(false, keyPath, valueName, defaultText);
}

void WriteSetting(const QString& keyPath, const QString& valueName, const QString& valueText) {
    if (goesToParamStore(valueName)) {
        state().savedKeys += valueName + u',';
        state().savedValues += valueText + u',';
        return;
    }
    // The store's reason follows on a line of its own: it names the file and what went wrong.
    registry::ErrorNumber error = registry::NoError;
    auto key = registry::Key::create(registry::Hive::CurrentUser, keyPath, &error);
    if (!key) {
        messages::show(QStringLiteral("Failed to create key - error = ") + QString::number(error) + u'\n' +
                           registry::lastFailure(),
                       WriteErrorTitle);
        return;
    }
    if (key->setValue(valueName, valueText) != registry::NoError)
        messages::show(QStringLiteral("Failed to set key\n") + registry::lastFailure(), WriteErrorTitle);
}

QString ReadRegistryString(bool currentUser, const QString& keyPath, const QString& valueName,
                           const QString& defaultText) {
    const auto hive = currentUser ? registry::Hive::CurrentUser : registry::Hive::LocalMachine;
    const auto key = registry::Key::open(hive, keyPath);
    if (!key)
        return defaultText;
    const auto value = key->value(valueName);
    if (!value || value->toUtf8().size() > maximumValueBytes)
        return defaultText;
    return *value;
}

bool UseParamStore() {
    return state().useParamStore;
}

void SetUseParamStore(bool on) {
    state().useParamStore = on;
}

KeyedTextCollection& ParamStore() {
    return state().paramStore;
}

const QString& SavedKeys() {
    return state().savedKeys;
}

const QString& SavedValues() {
    return state().savedValues;
}

void SetSavedLists(const QString& keys, const QString& values) {
    state().savedKeys = keys;
    state().savedValues = values;
}

} // namespace RegistryFuncs
