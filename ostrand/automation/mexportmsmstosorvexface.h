#pragma once
// The public class MExportMSMSToSorvex as late-bound callers reach it. Progress bars and labels
// arrive as late-bound objects, processing parameters as ProcessingParameters objects and cycle
// flags as an array of Booleans; the query text buffer is handed out as one object for the
// exporter's lifetime.

#include "export/mexportmsmstosorvex.h"

#include "automation/dispatch.h"

#include <memory>

class SorvexStringHelperFace;

class MExportMSMSToSorvexFace : public automation::DispatchObject<MExportMSMSToSorvexFace> {
public:
    static QString staticClassName() { return QStringLiteral("MExportMSMSToSorvex"); }
    static const automation::DispatchTable<MExportMSMSToSorvexFace>& dispatchTable();

    MExportMSMSToSorvexFace();
    ~MExportMSMSToSorvexFace() override;

    ostrand::MExportMSMSToSorvex& engine() const { return *m_exporter; }
    std::shared_ptr<SorvexStringHelperFace> queryStringHelper();

private:
    std::shared_ptr<ostrand::MExportMSMSToSorvex> m_exporter;
    std::shared_ptr<SorvexStringHelperFace> m_queryHelper;
};
