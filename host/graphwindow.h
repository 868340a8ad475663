#pragma once
// What a graph window of the host shows, as scripts see it: its panes, each with a trace (a
// chromatogram in minutes or a spectrum in m/z) and the intensity below which centroiding drops
// peaks, and the x ranges the user selected, in the units of the active trace.

#include "host_export.h"

#include <memory>
#include <vector>

namespace kestrum {
class CentroidableSpectrum;
}

namespace host {

struct SelectionRange {
    double start = 0;
    double end = 0;
    // A range the user switched off: it stays on screen but filters nothing.
    bool disabled = false;
};

struct GraphPane {
    std::shared_ptr<kestrum::CentroidableSpectrum> trace;
    double centroidThreshold = 0;
};

struct GraphWindow {
    // In the order scripts count them; the last pane is the active one, whose trace they read.
    std::vector<GraphPane> panes;
    std::vector<SelectionRange> selections;
};

} // namespace host
