// The recorder panel that the main window and the offline window both carry: the row of
// recorder buttons, their commands on the shared recorder state, the wide/compact toggle, the
// layout of the row and the status-bar shares. The two windows differ only in the ways
// RecorderPanelStyle names.
#pragma once

#include <string>

#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

// Panel 2 of the status bar while the device records.
inline constexpr const char* kRecordingIndicator = "正在录音";
// Appended to the program folder: where takes are saved unless the user chooses otherwise.
inline constexpr const char* kRecordingsFolder = "\\录音文件\\";

struct RecorderPanelStyle {
    // Stop offers the save dialog at once. Without it the take stays in the device.
    bool saveDialogAfterStop;
    // cmdSave's enabled state marks a stopped take that has not been discarded: Stop sets the
    // mark, Record, Settings and Reset clear it, and before Settings or Reset discard a marked
    // take they ask a second question, after the one about a running recording.
    bool asksBeforeDiscardingATake;
    // cmdPlay plays the take back from the slider's position (and Record turns it off);
    // otherwise it opens the listening-plan window.
    bool playsTheTakeBack;
    // Whether cmdRecord is usable when the window is created.
    bool recordUsableAtCreation;
    // A station plays in this window, so a hand take may record it; otherwise takes record
    // the sound card whatever the settings choose.
    bool stationToRecord;
    // The start of the file name of a programmed take saved automatically by this window.
    const char* automaticSavePrefix;
};

inline constexpr RecorderPanelStyle kMainWindowPanel{
    .saveDialogAfterStop = true,
    .asksBeforeDiscardingATake = false,
    .playsTheTakeBack = false,
    .recordUsableAtCreation = true,
    .stationToRecord = true,
    .automaticSavePrefix = "录音_从",
};
inline constexpr RecorderPanelStyle kOfflineWindowPanel{
    .saveDialogAfterStop = false,
    .asksBeforeDiscardingATake = true,
    .playsTheTakeBack = true,
    .recordUsableAtCreation = false,
    .stationToRecord = false,
    .automaticSavePrefix = "广播录音_从",
};

class RecorderPanel {
  private:
    // Declared first: the buttons are made on this window.
    ui::Form& window_;
    Program& program_;
    const RecorderPanelStyle style_;

  public:
    // The slider, the statistics label and the status bar belong to the window, which makes
    // them after the panel so that its controls keep their order; the panel only keeps the
    // references until then.
    RecorderPanel(ui::Form& window, Program& program, const RecorderPanelStyle& style,
                  ui::Slider& slider, ui::Label& statistics, ui::StatusBar& statusBar);
    RecorderPanel(const RecorderPanel&) = delete;
    RecorderPanel& operator=(const RecorderPanel&) = delete;

    // In tab order; they are the window's first controls.
    ui::Button cmdRecord{window_, "cmdRecord"};
    ui::Button cmdStop{window_, "cmdStop"};
    ui::Button cmdPlay{window_, "cmdPlay"};
    ui::Button cmdShijian{window_, "cmdShijian"};
    ui::Button cmdReset{window_, "cmdReset"};
    ui::Button cmdSettings{window_, "cmdSettings"};
    ui::Button cmdmore{window_, "cmdmore"};
    ui::Button cmdgoback{window_, "cmdgoback"};
    ui::Button cmdSave{window_, "cmdSave"};

    ui::Slider& Slider1;
    ui::Label& StatisticsLabel;
    ui::StatusBar& StatusBar1;

    void cmdRecord_Click();
    void cmdStop_Click();
    void cmdPlay_Click();
    void cmdReset_Click();
    void cmdSettings_Click();
    void cmdShijian_Click();
    void cmdmore_Click();
    void cmdgoback_Click();
    // Offers the save dialog for the stopped take (the completion message of a programmed
    // take with manual save points the user here).
    void cmdSave_Click();
    // cmdSave shows, usable, exactly while a stopped take is unsaved.
    void showSaveWhileUnsaved();

    // One tick of the programmed-recording monitor on this window's controls. Message boxes
    // keep the timer ticking; a tick that arrives while an earlier one waits on a box does
    // nothing.
    void runMonitor();

    // The compact window's status-bar shares, then the row of seven equal slots across a
    // window windowWidth twips wide, with cmdSave a slot under the first one.
    void setCompactPanelWidths() { setPanelWidths(0.15, 0.21); }
    void layOutButtonRow(double windowWidth);
    // The compact window offers "更多".
    void offerWideWindow();
    // The window widths "还原" and "更多" set.
    static constexpr double kCompactWidth = 5040, kWideWidth = 10455;

    // The recording indicator: panel 2 of the status bar.
    std::string indicator() const { return StatusBar1.panel(2).text; }
    // True while a take records: a programmed take runs, the indicator says so, or Record
    // has just started a take that the next tick of the monitor has not shown yet.
    bool recording() const;
    // Proposed name of a hand take: "录音_从" + start + "到" + stop with the separators replaced.
    std::string proposedFileName() const;

  private:
    void setPanelWidths(double panel1Factor, double panel2Factor);
    // The recording question, then (for a window that marks unsaved takes) the unsaved-take
    // question; false when either is refused.
    bool confirmDiscard(const char* recordingQuestion, const char* unsavedQuestion);
    // The slider and the buttons of a recorder with no take, as Settings and Reset leave it.
    void clearTake();
    // What follows a stopped take once the buttons are set: the slider's range (the take's
    // length), a programmed take stopped by hand counted as done, the stop time, and the
    // settings dialog back to immediate recording.
    void finishStoppedTake();
    // True when the take was saved.
    bool offerSaveDialog();

    bool inMonitor_ = false;
};

}  // namespace sonorin
