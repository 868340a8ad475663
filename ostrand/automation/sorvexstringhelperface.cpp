#include "sorvexstringhelperface.h"

#include "automation/memberbinding.h"

using automation::bindEngineMember;
using ostrand::SorvexStringHelper;

const automation::DispatchTable<SorvexStringHelperFace>& SorvexStringHelperFace::dispatchTable() {
    using F = SorvexStringHelperFace;
    static const auto table =
        automation::DispatchTable<F>()
            .method(QStringLiteral("SetFilename"), bindEngineMember<F>(&SorvexStringHelper::SetFilename))
            .method(QStringLiteral("GetFilename"), bindEngineMember<F>(&SorvexStringHelper::GetFilename))
            .method(QStringLiteral("Append"), bindEngineMember<F>(&SorvexStringHelper::Append))
            .method(QStringLiteral("AppendLine"), bindEngineMember<F>(&SorvexStringHelper::AppendLine))
            .method(QStringLiteral("CloseFile"), bindEngineMember<F>(&SorvexStringHelper::CloseFile))
            .method(QStringLiteral("GetString"), bindEngineMember<F>(&SorvexStringHelper::GetString));
    return table;
}
