#pragma once
// Qt and the web engine print diagnostics meant for their developers (bus,
// GL and sandbox notes, the engine's own log). Started from a terminal, a
// normal run of Wavecrest prints nothing; WAVECREST_DIAGNOSTICS=1 brings
// them all back.
namespace platform {

bool DiagnosticsWanted();

// Drops Qt's messages from here on, unless diagnostics are wanted.
void KeepDiagnosticsQuiet();

// The engine switch that keeps its own log quiet: "" when diagnostics are wanted.
const char* QuietEngineLogSwitch();

} // namespace platform
