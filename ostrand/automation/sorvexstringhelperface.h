#pragma once
// The query text buffer as late-bound callers reach it: the object GetQueryStringHelper hands out,
// through which a caller names the query file and writes its header lines.

#include "export/sorvexstringhelper.h"

#include "automation/dispatch.h"

#include <memory>

class SorvexStringHelperFace : public automation::DispatchObject<SorvexStringHelperFace> {
public:
    static QString staticClassName() { return QStringLiteral("SorvexStringHelper"); }
    static const automation::DispatchTable<SorvexStringHelperFace>& dispatchTable();

    explicit SorvexStringHelperFace(std::shared_ptr<ostrand::SorvexStringHelper> buffer)
        : m_buffer(std::move(buffer)) {}

    ostrand::SorvexStringHelper& engine() const { return *m_buffer; }

private:
    std::shared_ptr<ostrand::SorvexStringHelper> m_buffer;
};
