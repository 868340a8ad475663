#pragma once
// Scan-type codes as Vesk files record them, and the text each is shown with in spectrum titles
// and file descriptions. One table for the whole system.

#include "kestrum_export.h"

#include <QString>

namespace kestrum {

enum ScanTypeCode : int {
    Q1Scan = 0,
    Q1MI = 1,
    Q3Scan = 2,
    Q3MI = 3,
    MRM = 4,
    PrecursorScan = 5,
    ProductScan = 6,
    NeutralLossScan = 7,
    TOFMS = 8,
    TOFProduct = 9,
    TOFPrecursor = 10,
    EnhancedProduct = 11,
    HighResolutionMS = 12,
    MS3 = 13,
    TimeDelayFragmentation = 14,
    EnhancedMS = 15,
    MultiplyCharged = 16,
};

// "TOF MS" for 8, "TOF Product" for 9, ...; "UNKNOWN SCAN TYPE" for any code outside the table.
KESTRUM_EXPORT QString scanTypeText(int code);

// Whether scans of this type fragment a chosen precursor (product and MS/MS/MS scans).
KESTRUM_EXPORT bool isProductScanType(int code);

// A product-scan experiment whose fixed mass lies below 31 picks its precursor during acquisition:
// such an experiment makes a one-period sample a data-dependent run.
KESTRUM_EXPORT bool isDataDependentProductScan(int code, double fixedMass);

} // namespace kestrum
