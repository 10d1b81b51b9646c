// The recording settings dialog. It keeps nothing of its own: every click writes straight
// into the shared RecorderState, so the recorder monitor sees a change at once whether or
// not OK is pressed. OK only sends the chosen format to the capture device; nothing here is
// written to the settings store.
#pragma once

#include "recorder/recorder_state.h"
#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

class frmSettings : public ui::Form {
  public:
    explicit frmSettings(Program& program);

    // Controls in tab order; option buttons in one frame form one group.
    ui::Frame Frame1{*this, "Frame1"};
    ui::OptionButton optRate6000{*this, "optRate6000", &Frame1};
    ui::OptionButton optRate8000{*this, "optRate8000", &Frame1};
    ui::OptionButton optRate11025{*this, "optRate11025", &Frame1};
    ui::OptionButton optRate22050{*this, "optRate22050", &Frame1};
    ui::OptionButton optRate44100{*this, "optRate44100", &Frame1};

    ui::Frame Frame2{*this, "Frame2"};
    ui::OptionButton optMono{*this, "optMono", &Frame2};
    ui::OptionButton optStereo{*this, "optStereo", &Frame2};

    ui::Frame Frame3{*this, "Frame3"};
    ui::OptionButton opt8bits{*this, "opt8bits", &Frame3};
    ui::OptionButton opt16bits{*this, "opt16bits", &Frame3};

    ui::Frame Frame6{*this, "Frame6"};
    ui::OptionButton optRecordImmediate{*this, "optRecordImmediate", &Frame6};
    ui::OptionButton optRecordProgrammed{*this, "optRecordProgrammed", &Frame6};

    ui::Frame frmTimes{*this, "frmTimes"};
    ui::Button cmdStartTime{*this, "cmdStartTime", &frmTimes};
    ui::Button cmdStopTime{*this, "cmdStopTime", &frmTimes};

    ui::Frame frmManualAuto{*this, "frmManualAuto"};
    ui::OptionButton Option10{*this, "Option10", &frmManualAuto};
    ui::OptionButton Option11{*this, "Option11", &frmManualAuto};
    ui::Button cmdFileName{*this, "cmdFileName", &frmManualAuto};

    // The programmed times; the recorder monitor writes its text.
    ui::Label lblTimes{*this, "lblTimes"};

    // What the next take records: the sound card, or the station the program plays.
    ui::Frame Frame7{*this, "Frame7"};
    ui::OptionButton optSourceSoundCard{*this, "optSourceSoundCard", &Frame7};
    ui::OptionButton optSourceStation{*this, "optSourceStation", &Frame7};

    ui::Button cmdOke{*this, "cmdOke"};
    ui::Button cmdcancle{*this, "cmdcancle"};

    void Form_Load() override;

    void optRate6000_Click();
    void optRate8000_Click();
    void optRate11025_Click();
    void optRate22050_Click();
    void optRate44100_Click();
    void optMono_Click();
    void optStereo_Click();
    void opt8bits_Click();
    void opt16bits_Click();
    void optRecordImmediate_Click();
    void optRecordProgrammed_Click();
    void optSourceSoundCard_Click();
    void optSourceStation_Click();
    void Option10_Click();
    void Option11_Click();
    void cmdStartTime_Click();
    void cmdStopTime_Click();
    void cmdFileName_Click();
    void cmdOke_Click();
    void cmdcancle_Click();

  private:
    RecorderState& state();
    void showProgrammedControls(bool shown);
    void enableRecordButton(bool enabled);
    void tellUser(const char* message);
    // True, after telling the user, while a programmed take runs: its times stay.
    bool timesLocked();

    Program& program_;
    // True while Form_Load mirrors the state into the options.
    bool loading_ = false;
};

}  // namespace sonorin
