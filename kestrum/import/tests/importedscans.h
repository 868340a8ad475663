#pragma once
// Reads back every scan of one sample of a Vesk file, in acquisition order, with its place in the
// file and its experiment's definition, so that tests can compare imports as plain lists.

#include "kestrum/veskwriter.h"

#include <QString>
#include <vector>

namespace testfixture {

struct ImportedScan {
    int period = 0;
    int experiment = 0;
    int cycle = 0;
    int scanTypeCode = 0;
    int polarity = 0;
    kestrum::ScanRecord record;
};

std::vector<ImportedScan> importedScans(const QString& veskPath, int sample = 1);

} // namespace testfixture
