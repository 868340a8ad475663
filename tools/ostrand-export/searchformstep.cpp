#include "searchformstep.h"

#include "common/exitcodes.h"
#include "common/interruptwatch.h"
#include "web/sorvexwebsearch.h"

#include "browser/browsersession.h"
#include "errors/numberederror.h"

#include <QTextStream>

QString searchTitle(const QString& dataPath, std::int32_t sampleIndex) {
    return dataPath + (sampleIndex == -1 ? QStringLiteral(" (all samples)")
                                         : QStringLiteral(" (sample number %1)").arg(sampleIndex));
}

int openSearchForm(const QString& dataPath, std::int32_t sampleIndex, const QString& queryFile,
                   bool peptideSearch, bool submit, QTextStream& err) {
    SorvexWebSearch::Waiting waiting = SorvexWebSearch::Waiting::real();
    waiting.interrupted = &InterruptWatch::requested;
    try {
        SorvexWebSearch(waiting).OpenExplorerWindow(searchTitle(dataPath, sampleIndex), queryFile,
                                                    peptideSearch, submit);
    } catch (const browser::Interrupted&) {
        err << "ostrand-export: interrupted; the browser was closed. The query file " << queryFile
            << " is kept.\n";
        return ExitCancelled;
    } catch (const errors::NumberedError& error) {
        err << "ostrand-export: " << error.description() << "\nThe query file " << queryFile << " is kept.\n";
        return ExitFailure;
    }
    return ExitOk;
}
