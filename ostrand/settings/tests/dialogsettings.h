#pragma once
// The settings the options dialog writes, read back from the current user's settings file.

#include "settings/registryfuncs.h"

#include "registry/registrykey.h"

#include <QStringList>

#include <optional>
#include <set>

// Every name the dialog may write, in its save order.
inline const QStringList dialogNames = {
    QStringLiteral("strDefaultChargeState1"),
    QStringLiteral("strDefaultChargeState2"),
    QStringLiteral("strDefaultChargeState3"),
    QStringLiteral("strDefaultChargeState4"),
    QStringLiteral("strDefaultChargeState5"),
    QStringLiteral("strDiscardHighChargeStates"),
    QStringLiteral("DDEAutoDetermineCharge"),
    QStringLiteral("MSMSAveNeedXPeaks"),
    QStringLiteral("MSMSAvePrecursorTol"),
    QStringLiteral("MSMSAveMaxCycBetween"),
    QStringLiteral("MSMSAveMinCyclesPerGroup"),
    QStringLiteral("RemoveNearParent"),
    QStringLiteral("SorvexURLOption"),
    QStringLiteral("SorvexURL"),
    QStringLiteral("ProteinProspectorURL"),
    QStringLiteral("MSMSThreshold"),
    QStringLiteral("MSMSThresholdInPercent"),
    QStringLiteral("MSMSCentroidEnable"),
    QStringLiteral("MSMSDeisotope"),
    QStringLiteral("MSMSReportPeakArea"),
    QStringLiteral("iTraq"),
    QStringLiteral("UseOldQueryTitles"),
};

inline std::optional<QString> stored(const QString& name) {
    const auto key = registry::Key::open(registry::Hive::CurrentUser, RegistryFuncs::SettingsKey);
    return key ? key->value(name) : std::nullopt;
}

inline void store(const QString& name, const QString& value) {
    RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, name, value);
}

// The names among the dialog's that the settings hold.
inline std::set<QString> storedNames() {
    std::set<QString> names;
    for (const QString& name : dialogNames)
        if (stored(name))
            names.insert(name);
    return names;
}

// The dialog's names but the server addresses and `left`.
inline std::set<QString> allNamesBut(const QStringList& left) {
    std::set<QString> names(dialogNames.begin(), dialogNames.end());
    names.erase(QStringLiteral("SorvexURL"));
    names.erase(QStringLiteral("ProteinProspectorURL"));
    for (const QString& name : left)
        names.erase(name);
    return names;
}
