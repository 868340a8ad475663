#pragma once
// The settings store of the script: string values under the settings key of the current user,
// the one machine-wide value that tells whether a search server is installed here, and an
// in-memory mode in which the batch search client configures exports without touching the
// user's stored settings. In that mode every value except "Debug" is read from ParamStore, and
// every write is appended to SavedKeys and SavedValues ("name," and "value," per write).

#include "keyedtextcollection.h"

#include <QString>

namespace RegistryFuncs {

// The key of the current user under which every setting of the script is kept.
inline const QString SettingsKey = QStringLiteral("SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex");
// The machine-wide key that a search server installed on this computer writes ("SorvexURL").
inline const QString InstalledServerKey = QStringLiteral("SOFTWARE\\Tervane\\Sorvex\\1.00");
// The title of the message boxes that report a setting that could not be stored.
inline const QString WriteErrorTitle = QStringLiteral("Sorvex search submission error");

// The current user's value, or in the in-memory mode the ParamStore entry; `defaultText` when
// there is none. An entry whose text is "xyzzy" counts as absent.
QString ReadSetting(const QString& keyPath, const QString& valueName, const QString& defaultText);
// The machine-wide value; the in-memory mode plays no part.
QString ReadMachineSetting(const QString& keyPath, const QString& valueName, const QString& defaultText);
// Stores the value for the current user, or in the in-memory mode appends it to the saved lists.
// A failure is shown in a message box and otherwise ignored.
void WriteSetting(const QString& keyPath, const QString& valueName, const QString& valueText);
// The stored value of either hive (the current user's when `currentUser`); `defaultText` when the
// key or value is missing or the value is longer than the 255 bytes that a value may have.
QString ReadRegistryString(bool currentUser, const QString& keyPath, const QString& valueName,
                           const QString& defaultText);

// The in-memory mode and its state, which the batch search client interface manages. They live
// as long as the library stays loaded and are shared by all its objects.
bool UseParamStore();
void SetUseParamStore(bool on);
KeyedTextCollection& ParamStore();
const QString& SavedKeys();
const QString& SavedValues();
void SetSavedLists(const QString& keys, const QString& values);
inline void ClearSavedLists() {
    SetSavedLists({}, {});
}

} // namespace RegistryFuncs
