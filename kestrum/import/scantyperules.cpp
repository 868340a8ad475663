#include "scantyperules.h"

#include "kestrum/scantype.h"

namespace kestrum {

int ScanTypeRules::code(int msLevel, MassAnalyzer analyzer) const {
    if (msLevel <= 1) {
        if (surveyOverride)
            return *surveyOverride;
        switch (analyzer) {
        case MassAnalyzer::TimeOfFlight:
            return TOFMS;
        case MassAnalyzer::FourierTransform:
            return HighResolutionMS;
        case MassAnalyzer::IonTrap:
            return EnhancedMS;
        case MassAnalyzer::Other:
            break;
        }
        return Q1Scan;
    }
    if (msLevel >= 3)
        return MS3;
    if (productOverride)
        return *productOverride;
    switch (analyzer) {
    case MassAnalyzer::TimeOfFlight:
        return TOFProduct;
    case MassAnalyzer::IonTrap:
        return EnhancedProduct;
    case MassAnalyzer::FourierTransform:
    case MassAnalyzer::Other:
        break;
    }
    return ProductScan;
}

} // namespace kestrum
