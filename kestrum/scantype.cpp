#include "kestrum/scantype.h"

#include <array>

namespace kestrum {

QString scanTypeText(int code) {
    static const std::array<const char*, 17> texts = {"Q1 scan",
                                                      "Q1 MI",
                                                      "Q3 scan",
                                                      "Q3 MI",
                                                      "MRM",
                                                      "Precursor",
                                                      "Product",
                                                      "Neutral Loss",
                                                      "TOF MS",
                                                      "TOF Product",
                                                      "TOF Precursor",
                                                      "Enhanced Product",
                                                      "High-Resolution MS",
                                                      "MS/MS/MS",
                                                      "Time Delay Frag.",
                                                      "Enhanced MS",
                                                      "Multiply Charged"};
    if (code < 0 || code >= static_cast<int>(texts.size()))
        return QStringLiteral("UNKNOWN SCAN TYPE");
    return QString::fromLatin1(texts[static_cast<std::size_t>(code)]);
}

bool isProductScanType(int code) {
    switch (code) {
    case ProductScan:
    case TOFProduct:
    case EnhancedProduct:
    case MS3:
    case TimeDelayFragmentation:
        return true;
    default:
        return false;
    }
}

bool isDataDependentProductScan(int code, double fixedMass) {
    return isProductScanType(code) && fixedMass < 31.0;
}

} // namespace kestrum
