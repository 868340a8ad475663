#pragma once
// The last step of an export with --open-search or --submit: the chosen search server's form opened
// in the browser on the query file just written, with the search title the search dialog would
// give it; with --submit the form is also sent, and the step returns once the server has answered.

#include <QString>

#include <cstdint>

class QTextStream;

// "DATA_FILE_PATH (all samples)" for every sample (`sampleIndex` -1), else
// "DATA_FILE_PATH (sample number N)".
QString searchTitle(const QString& dataPath, std::int32_t sampleIndex);

// Opens (and with `submit` sends) the search form; returns the program's exit code. A failure is
// told on `err` and leaves the query file where it is.
int openSearchForm(const QString& dataPath, std::int32_t sampleIndex, const QString& queryFile,
                   bool peptideSearch, bool submit, QTextStream& err);
