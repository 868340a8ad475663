#pragma once
// The public mzML and mzXML files of the conformance data folder, and what its README records
// about each: spectra per MS level and the total number of points.

#include <QString>
#include <map>
#include <string>
#include <vector>

namespace testfixture {

struct RecordedCounts {
    qsizetype ms1 = -1;
    qsizetype ms2 = -1;
    qsizetype points = -1;
};

QString sharedDataDir();
// File names of every *.mzML and *.mzXML in the folder; empty when the folder is absent.
std::vector<std::string> sharedSpectrumFiles();
// The counts the README's tables give, by file name.
std::map<QString, RecordedCounts> recordedCounts();
// A readable test name made from a file name.
std::string testNameOf(const std::string& fileName);

} // namespace testfixture
