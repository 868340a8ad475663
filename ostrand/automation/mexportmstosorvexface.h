#pragma once
// The public class MExportMSToSorvex as late-bound callers reach it: the survey-scan export of
// the batch search client, writing into the query text buffer it hands out.

#include "export/mexportmstosorvex.h"

#include "automation/dispatch.h"

#include <memory>

class SorvexStringHelperFace;

class MExportMSToSorvexFace : public automation::DispatchObject<MExportMSToSorvexFace> {
public:
    static QString staticClassName() { return QStringLiteral("MExportMSToSorvex"); }
    static const automation::DispatchTable<MExportMSToSorvexFace>& dispatchTable();

    MExportMSToSorvexFace();
    ~MExportMSToSorvexFace() override;

    ostrand::MExportMSToSorvex& engine() const { return *m_exporter; }
    const std::shared_ptr<SorvexStringHelperFace>& queryStringHelper() const { return m_queryHelper; }

private:
    std::shared_ptr<ostrand::MExportMSToSorvex> m_exporter;
    std::shared_ptr<SorvexStringHelperFace> m_queryHelper;
};
