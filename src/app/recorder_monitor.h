// The programmed-recording monitor that both recorder windows run on their own panel, and the
// names of takes.
#pragma once

#include <string>

namespace sonorin {

class Program;
class RecorderPanel;

// prefix + start + "到" + stop, every ":" replaced by timeSeparator, " " by "_", "/" by "-".
std::string takeName(Program& program, const std::string& prefix, const char* timeSeparator);

// One tick of the monitor: refreshes the texts and the buttons, and starts and stops an armed
// recording at its times, saving it under a name that begins with savePrefix. The caller
// keeps ticks that arrive while a message box of an earlier tick is open from running.
void runRecorderMonitor(Program& program, RecorderPanel& panel, const std::string& savePrefix);

// Selects immediate recording in the settings dialog, whose handler enables the main window's
// cmdRecord.
void settingsDialogBackToImmediate(Program& program);

}  // namespace sonorin
