#include "cyclelayout.h"

#include <algorithm>

namespace kestrum {

CycleLayout::CycleLayout(bool runHasSurveyScans) : m_runHasSurveyScans(runHasSurveyScans) {}

CycleLayout::Position CycleLayout::place(int msLevel) {
    Position position;
    const bool survey = msLevel <= 1;
    if (!m_runHasSurveyScans || survey || m_cycleCount == 0) {
        position.startsCycle = true;
        ++m_cycleCount;
        // A cycle opened by an MS/MS scan keeps experiment 0 for the survey scan it lacks.
        m_nextExperiment = (m_runHasSurveyScans && !survey) ? 1 : 0;
    }
    position.cycle = m_cycleCount - 1;
    position.experiment = m_nextExperiment++;
    m_experimentCount = std::max(m_experimentCount, m_nextExperiment);
    return position;
}

} // namespace kestrum
