#pragma once
// Places the scans of a run, in acquisition order, into cycles and experiments. Each survey (MS1)
// scan starts a cycle as experiment 0 and the MS/MS scans after it are experiments 1, 2, ...;
// MS/MS scans before the first survey scan form a first cycle without one. A run without any
// survey scan has no such structure, so each of its scans is a cycle of its own, as experiment 0.

namespace kestrum {

class CycleLayout {
public:
    struct Position {
        int cycle = 0;
        int experiment = 0;
        bool startsCycle = false;
    };

    explicit CycleLayout(bool runHasSurveyScans);

    Position place(int msLevel);
    // The largest experiment count of any cycle placed so far.
    int experimentCount() const { return m_experimentCount; }

private:
    bool m_runHasSurveyScans;
    int m_cycleCount = 0;
    int m_nextExperiment = 0;
    int m_experimentCount = 0;
};

} // namespace kestrum
