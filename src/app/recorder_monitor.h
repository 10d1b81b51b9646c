// What the two recorder windows (the main window and the offline window) share: the
// programmed-recording monitor, run on either window's own controls, and the names of takes.
#pragma once

#include <string>

#include "ui/control.h"

namespace sonorin {

class Program;

// The controls of one recorder window that the monitor reads and writes.
struct RecorderPanel {
    ui::Button& cmdRecord;
    ui::Button& cmdStop;
    ui::Button& cmdPlay;
    ui::Button& cmdSave;
    ui::Slider& Slider1;
    ui::Label& StatisticsLabel;
    ui::StatusBar& StatusBar1;
};

// The row of buttons both windows lay out the same way: equal widths of a seventh of the
// window, side by side in this order, "返回" where "更多" is.
struct RecorderButtonRow {
    ui::Button& cmdRecord;
    ui::Button& cmdStop;
    ui::Button& cmdPlay;
    ui::Button& cmdShijian;
    ui::Button& cmdReset;
    ui::Button& cmdSettings;
    ui::Button& cmdmore;
    ui::Button& cmdgoback;
};
void layOutButtonRow(const RecorderButtonRow& row, double windowWidth);

// prefix + start + "到" + stop, every ":" replaced by timeSeparator, " " by "_", "/" by "-".
std::string takeName(Program& program, const std::string& prefix, const char* timeSeparator);

// One tick of the monitor: refreshes the texts and the buttons, and starts and stops an armed
// recording at its times, saving it under a name that begins with savePrefix. The caller
// keeps ticks that arrive while a message box of an earlier tick is open from running.
void runRecorderMonitor(Program& program, const RecorderPanel& panel,
                        const std::string& savePrefix);

// A hand take begins: a fresh device in the chosen format (the new take replaces the old one),
// recording, its start time noted.
void startHandTake(Program& program);

// What follows a stopped take in either window, once its buttons are set: the slider's range
// (the take's length), a programmed take stopped by hand counted as done, the stop time, and
// the settings dialog back to immediate recording.
void finishStoppedTake(Program& program, ui::Slider& slider);

// Selects immediate recording in the settings dialog, whose handler enables the main window's
// cmdRecord.
void settingsDialogBackToImmediate(Program& program);

}  // namespace sonorin
