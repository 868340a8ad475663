#pragma once
// The public class ProcessingParameters as late-bound callers reach it: the parameters' getters
// and setters in interface slot order, with their help texts. A new object loads the stored
// settings and falls back silently to the factory defaults, as the public class always has.

#include "settings/processingparameters.h"

#include "automation/dispatch.h"

#include <memory>

class ProcessingParametersFace : public automation::DispatchObject<ProcessingParametersFace> {
public:
    static QString staticClassName() { return QStringLiteral("ProcessingParameters"); }
    static const automation::DispatchTable<ProcessingParametersFace>& dispatchTable();
    // The help text of a member, empty for members that have none.
    static QString helpString(const QString& memberName);

    ProcessingParametersFace();
    explicit ProcessingParametersFace(std::shared_ptr<ostrand::ProcessingParameters> parameters);

    ostrand::ProcessingParameters& engine() const { return *m_parameters; }
    const std::shared_ptr<ostrand::ProcessingParameters>& parameters() const { return m_parameters; }

private:
    std::shared_ptr<ostrand::ProcessingParameters> m_parameters;
};
