#include "searchformstep.h"

#include "common/exitcodes.h"
#include "web/sorvexwebsearch.h"

#include "automation/automationerror.h"

#include <QTextStream>

QString searchTitle(const QString& dataPath, std::int32_t sampleIndex) {
    return dataPath + (sampleIndex == -1 ? QStringLiteral(" (all samples)")
                                         : QStringLiteral(" (sample number %1)").arg(sampleIndex));
}

int openSearchForm(const QString& dataPath, std::int32_t sampleIndex, const QString& queryFile,
                   bool peptideSearch, bool submit, QTextStream& err) {
    try {
        SorvexWebSearch().OpenExplorerWindow(searchTitle(dataPath, sampleIndex), queryFile, peptideSearch,
                                             submit);
    } catch (const automation::AutomationError& error) {
        err << "ostrand-export: " << error.description() << "\nThe query file " << queryFile << " is kept.\n";
        return ExitFailure;
    }
    return ExitOk;
}
