// The main window: the radio pane with the recorder panel above it. Creating and loading it
// starts the program; unloading it ends the program.
#pragma once

#include <cstddef>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/recorder_panel.h"
#include "radio/sleep_timer.h"
#include "radio/station_player.h"
#include "radio/listening.h"
#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

inline constexpr const char* kMainCaption = "星澜网络收音机(Sonorin)";

class AudioRecorder : public ui::Form {
  public:
    explicit AudioRecorder(Program& program);

    // The recorder panel: its buttons are this window's first controls.
    RecorderPanel panel;
    ui::Button& cmdRecord = panel.cmdRecord;
    ui::Button& cmdStop = panel.cmdStop;
    ui::Button& cmdPlay = panel.cmdPlay;
    ui::Button& cmdShijian = panel.cmdShijian;
    ui::Button& cmdReset = panel.cmdReset;
    ui::Button& cmdSettings = panel.cmdSettings;
    ui::Button& cmdmore = panel.cmdmore;
    ui::Button& cmdgoback = panel.cmdgoback;
    ui::Button& cmdSave = panel.cmdSave;
    // Invisible buttons whose handlers serve the scheduler and the auto-listen.
    ui::Button Command1{*this, "Command1"};
    ui::Button Command3{*this, "Command3"};
    ui::Button Command4{*this, "Command4"};
    ui::Label Label1{*this, "Label1"};

    // The program's own volume, over the radio pane's top right corner (before the pane, so
    // on top of it).
    ui::Button cmdMute{*this, "cmdMute"};
    ui::Slider sldVolume{*this, "sldVolume"};

    ui::WebBrowserPane WebBrowser1{*this, "WebBrowser1"};
    ui::StatusBar StatusBar1{*this, "StatusBar1", 3};
    ui::Frame Frame5{*this, "Frame5"};
    ui::Slider Slider1{*this, "Slider1", &Frame5};
    ui::Frame Frame4{*this, "Frame4"};
    ui::Label StatisticsLabel{*this, "StatisticsLabel"};
    ui::ProgressBar ProgressBar1{*this, "ProgressBar1"};

    ui::Timer Timer2{*this, "Timer2", 200};
    ui::Timer Timer3{*this, "Timer3", 0};
    // Fades the radio out and stops it at the sleep timer's time.
    ui::Timer tmrSleep{*this, "tmrSleep", 0};

    // Menu bar.
    ui::MenuItem mnuwenjian{*this, "mnuwenjian", "文件(F)"};
    ui::MenuItem mnuopen{*this, "mnuopen", "打开", &mnuwenjian};
    ui::MenuItem mnuline_open{*this, "mnuline_open", "-", &mnuwenjian};
    ui::MenuItem mnuExit{*this, "mnuExit", "退出", &mnuwenjian};
    ui::MenuItem mnuPlan{*this, "mnuPlan", "计划(P)"};
    ui::MenuItem mnuShouting{*this, "mnuShouting", "定时收听", &mnuPlan};
    ui::MenuItem MnuRecord{*this, "MnuRecord", "定时录音", &mnuPlan};
    ui::MenuItem mnuGuanji{*this, "mnuGuanji", "定时关机", &mnuPlan};
    ui::MenuItem mnuSleep{*this, "mnuSleep", "定时停止播放", &mnuPlan};
    ui::MenuItem mnuSleep15{*this, "mnuSleep15", "15 分钟后", &mnuSleep};
    ui::MenuItem mnuSleep30{*this, "mnuSleep30", "30 分钟后", &mnuSleep};
    ui::MenuItem mnuSleep60{*this, "mnuSleep60", "60 分钟后", &mnuSleep};
    ui::MenuItem mnuSleep90{*this, "mnuSleep90", "90 分钟后", &mnuSleep};
    ui::MenuItem mnuSleepAt{*this, "mnuSleepAt", "指定时间…", &mnuSleep};
    ui::MenuItem mnuSleepLine{*this, "mnuSleepLine", "-", &mnuSleep};
    ui::MenuItem mnuSleepOff{*this, "mnuSleepOff", "取消定时停止", &mnuSleep};
    ui::MenuItem mnuhelp{*this, "mnuhelp", "帮助(H)"};
    ui::MenuItem mnuhelpcontent{*this, "mnuhelpcontent", "帮助内容", &mnuhelp};
    ui::MenuItem mnulinebelowhelp{*this, "mnulinebelowhelp", "-", &mnuhelp};
    ui::MenuItem mnu_daohang{*this, "mnu_daohang", "星澜网络收音机网页版", &mnuhelp};
    ui::MenuItem mnu_JiemuShijianBiao{*this, "mnu_JiemuShijianBiao", "节目时间表", &mnuhelp};
    ui::MenuItem mnuLineBelowdaohang{*this, "mnuLineBelowdaohang", "-", &mnuhelp};
    ui::MenuItem mnu_website{*this, "mnu_website", "官方主页", &mnuhelp};
    ui::MenuItem mnulineabout{*this, "mnulineabout", "-", &mnuhelp};
    ui::MenuItem mnu_about{*this, "mnu_about", "关于", &mnuhelp};
    // The tray menu: a top-level menu that is never shown in the menu bar.
    ui::MenuItem mnuTray{*this, "mnuTray", "mnuTray"};
    ui::MenuItem mnudaohang{*this, "mnudaohang", "网址导航", &mnuTray};
    ui::MenuItem mnu_jiemubiao{*this, "mnu_jiemubiao", "节目时间表", &mnuTray};
    ui::MenuItem line4{*this, "line4", "-", &mnuTray};
    ui::MenuItem mnu_settings{*this, "mnu_settings", "录音设置", &mnuTray};
    ui::MenuItem Mnu_DingshiShouting{*this, "Mnu_DingshiShouting", "定时收听", &mnuTray};
    ui::MenuItem Mnu_DingshiGuanji{*this, "Mnu_DingshiGuanji", "定时关机", &mnuTray};
    ui::MenuItem line3{*this, "line3", "-", &mnuTray};
    ui::MenuItem mnu_traymaxmized{*this, "mnu_traymaxmized", "显示", &mnuTray};
    ui::MenuItem line2{*this, "line2", "-", &mnuTray};
    ui::MenuItem mnu_TrayWebsite{*this, "mnu_TrayWebsite", "官方网站", &mnuTray};
    ui::MenuItem mnupophelp{*this, "mnupophelp", "帮助", &mnuTray};
    ui::MenuItem mnu_TrayAbout{*this, "mnu_TrayAbout", "关于", &mnuTray};
    ui::MenuItem lineVolume{*this, "lineVolume", "-", &mnuTray};
    ui::MenuItem mnuTrayMute{*this, "mnuTrayMute", "静音", &mnuTray};
    ui::MenuItem mnuTrayLouder{*this, "mnuTrayLouder", "音量 +", &mnuTray};
    ui::MenuItem mnuTrayQuieter{*this, "mnuTrayQuieter", "音量 −", &mnuTray};
    ui::MenuItem line1{*this, "line1", "-", &mnuTray};
    ui::MenuItem mnuTrayexit{*this, "mnuTrayexit", "退出", &mnuTray};

    // Listening: the titles heard (最近播放) from the file menu, and the station playing now
    // and the stations played last at the top of the tray menu, each one click to play.
    ui::MenuItem mnuZuijinBofang{*this, "mnuZuijinBofang", "最近播放", mnuwenjian, mnuline_open};
    ui::MenuItem mnuTrayNowPlaying{*this, "mnuTrayNowPlaying", "", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayStop{*this, "mnuTrayStop", "停止", mnuTray, mnudaohang};
    ui::MenuItem lineTrayNow{*this, "lineTrayNow", "-", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayRecent1{*this, "mnuTrayRecent1", "", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayRecent2{*this, "mnuTrayRecent2", "", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayRecent3{*this, "mnuTrayRecent3", "", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayRecent4{*this, "mnuTrayRecent4", "", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayRecent5{*this, "mnuTrayRecent5", "", mnuTray, mnudaohang};
    ui::MenuItem lineTrayRecent{*this, "lineTrayRecent", "-", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayTitles{*this, "mnuTrayTitles", "最近播放", mnuTray, mnudaohang};
    ui::MenuItem mnuTrayTitleNotice{*this, "mnuTrayTitleNotice", "歌名通知", mnuTray, mnudaohang};
    ui::MenuItem lineTrayTitles{*this, "lineTrayTitles", "-", mnuTray, mnudaohang};
    // The tray's station entries show what plays now and what played last.
    void showListening();
    // Plays the station of the tray's nth recent entry (from 0).
    void playRecentStation(std::size_t index);
    // A station announced a new title: a notice from the tray icon, when the user asked for
    // one (off at first; the choice is kept in the settings store).
    void titleHeard(const radio::HeardTitle& heard);
    bool titleNoticeOn();
    void mnuTrayTitleNotice_Click();

    // Start-up and shut-down.
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    void Form_Resize() override;
    void mnuExit_Click();
    void mnuTrayexit_Click();
    void mnu_traymaxmized_Click();

    // Recorder panel: saves through the save dialog after Stop; cmdPlay is "定时1".
    void cmdRecord_Click() { panel.cmdRecord_Click(); }
    void cmdStop_Click() { panel.cmdStop_Click(); }
    void cmdPlay_Click() { panel.cmdPlay_Click(); }
    void cmdReset_Click() { panel.cmdReset_Click(); }
    void cmdSettings_Click() { panel.cmdSettings_Click(); }
    void cmdShijian_Click() { panel.cmdShijian_Click(); }
    void cmdmore_Click() { panel.cmdmore_Click(); }
    void cmdgoback_Click() { panel.cmdgoback_Click(); }

    // Programmed-recording monitor.
    void Timer2_Timer() { panel.runMonitor(); }

    // Radio pane: the scheduler's and the auto-listen's operations, and the menus.
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Timer3_Timer();
    // Clicks every link of the pane's page whose text contains `name`, in document order;
    // returns how many.
    int clickStationLinks(const std::string& name);
    // The station player's state, status or title changed: the pane shows it now.
    void playerChanged();

    // The program's own volume (0 to 100) and mute, remembered across starts.
    int volume() const { return sldVolume.value(); }
    bool muted() const { return muted_; }
    void setVolume(int volume) { sldVolume.setValue(volume); }
    void cmdMute_Click();
    // Stops the radio `minutes` from now, or at the next `secondOfDay` o'clock; cancelSleep
    // calls it off.
    void sleepIn(int minutes);
    void sleepAt(int secondOfDay);
    void cancelSleep();
    bool sleepArmed() const { return sleep_.armed(); }
    void tmrSleep_Timer();
    // A media key; false leaves it to the system.
    bool appCommand(ui::AppCommand command, bool focused);

    // True when start-up chose the offline window: the main window then stays hidden.
    bool hiddenAtStart() const { return hiddenAtStart_; }
    // Entries in the listening-plan list; reading it loads the plan window.
    int listeningPlanCount();
    // The recording indicator: panel 2 of the status bar.
    std::string indicator() const { return panel.indicator(); }

  private:
    void wireRadioPane();
    void wirePlayerControls();
    void restoreVolume();
    // Hands the volume, the mute and the sleep timer's fade to the player.
    void applyVolume();
    void showMute();
    void showSleep();
    void wireListening();
    // The tray menu's entries for the stations played last, newest first.
    std::array<ui::MenuItem*, 5> recentEntries();
    void placeDesignGeometry();

    Program& program_;
    bool hiddenAtStart_ = false;
    bool inTimer3_ = false;
    // A plan's station that no link names, being looked up in the station directory.
    std::string planLookup_;
    bool muted_ = false;
    bool volumeRestored_ = false;  // the stored volume is read: changes from now are the user's
    radio::SleepTimer sleep_;
    // The station last played, which Play/Pause starts again.
    Station lastStation_;
    // The title notice setting, read when first needed.
    std::optional<bool> titleNotice_;
};

}  // namespace sonorin
