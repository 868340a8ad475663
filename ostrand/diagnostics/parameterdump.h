#pragma once
// The processing parameters of an export written to the diagnostic log, one field a line.

namespace ostrand {

class ProcessingParameters;

// Writes the parameters when logging is on; nothing otherwise.
void DebugDump(const ProcessingParameters& params);

} // namespace ostrand
