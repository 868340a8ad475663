#include "batchsearchclientlists.h"

#include "automation/dispatch.h"
#include "errors/numberederror.h"

#include "host/installedscripts.h"
#include "host/scriptloader.h"

BatchSearchClientLists::BatchSearchClientLists() {
    // Loading the library points messages at its message boxes, where the dialog's user answers them.
    const QString library = host::ostrandScriptLibrary();
    if (library.isEmpty())
        throw errors::NumberedError::system(
            QStringLiteral("The batch search client's parameter lists are not available: the script library "
                           "libostrand.so is neither in ../lib/ostrand nor in ../lib beside the program"));
    host::ScriptLoader loader;
    m_daemon = loader.CreateScriptObject(library, QStringLiteral("Options4Daemon"));
    if (!m_daemon)
        throw errors::NumberedError::system(
            QStringLiteral("The batch search client's parameter lists are not available: %1")
                .arg(loader.lastError()));
}

void BatchSearchClientLists::setLists(const QString& keys, const QString& values) {
    automation::Arguments lists{keys, values};
    m_daemon->call(QStringLiteral("Set_Params_Strings"), lists);
}

void BatchSearchClientLists::setDefaults() {
    m_daemon->call(QStringLiteral("Set_Params_String_Defaults"));
}

void BatchSearchClientLists::editInDialog() {
    m_daemon->call(QStringLiteral("Options_Form_Show"));
}

QString BatchSearchClientLists::keys() const {
    return m_daemon->call(QStringLiteral("Params_Keys")).toString();
}

QString BatchSearchClientLists::values() const {
    return m_daemon->call(QStringLiteral("Params_Values")).toString();
}
