// The radio pane of the main window: clicking station links by name for the scheduler and the
// auto-listen, stopping, keeping the pane silent and current with the player, and the
// commands of the menu bar and the tray menu.
#include <cstdlib>
#include <string>

#include "app/AudioRecorder.h"
#include "app/config.h"
#include "app/frmDingshishouting.h"
#include "app/program.h"
#include "base/app_title.h"
#include "radio/builtin_stations.h"

namespace sonorin {
namespace {

// The leading whole number of a label's text, 0 when it has none.
long numberIn(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

}  // namespace

void AudioRecorder::wireRadioPane() {
    // The pane keeps script errors and its own dialogs out of the user's way.
    WebBrowser1.onDownloadBegin = [this] { WebBrowser1.setSilent(true); };
    WebBrowser1.onDownloadComplete = [this] { WebBrowser1.setSilent(true); };
    Command1.onClick = [this] { Command1_Click(); };
    Command3.onClick = [this] { Command3_Click(); };
    Command4.onClick = [this] { Command4_Click(); };
    Timer3.onTick = [this] { Timer3_Timer(); };

    Platform& p = program_.platform;
    // Web pages open in the user's own browser, not in the pane.
    auto openPage = [this, &p](std::string address) {
        return [this, &p, address = std::move(address)] {
            const std::string page = address.empty() ? config::portalHost() : address;
            p.shell.open("Open", page, "", program_.programFolder());
        };
    };
    auto programmePage = [this, &p] {
        p.shell.open("Open", config::portalHost() + "/guangbo/", "", program_.programFolder());
    };
    mnuopen.onClick = [this, &p] {
        p.shell.open("open", program_.programFolder() + "\\录音文件", "", "");
    };
    mnuhelpcontent.onClick = [this, &p] {
        p.shell.run("notepad " + program_.programFolder() + "\\help.txt", WindowShow::Normal);
    };
    // The portal's home page is its root address; the port is known only once it listens.
    mnu_daohang.onClick = openPage("");
    mnudaohang.onClick = openPage("");
    mnu_JiemuShijianBiao.onClick = programmePage;
    mnu_jiemubiao.onClick = programmePage;
    mnu_website.onClick = openPage(config::makerSite());
    mnu_TrayWebsite.onClick = openPage(config::makerSite());
    // The plan window, the shutdown window, the about box and the tray's "显示" are wired by
    // their own windows: mnuShouting, Mnu_DingshiShouting, mnuGuanji, Mnu_DingshiGuanji,
    // mnu_about, mnu_TrayAbout, mnu_traymaxmized. "帮助" (mnupophelp) has no command.
}

int AudioRecorder::clickStationLinks(const std::string& name) {
    // The count is read once: a click may change the page only after this handler returns.
    const int count = WebBrowser1.linkCount();
    int clicked = 0;
    for (int i = 0; i < count; ++i) {
        // An empty name is found in every text but an empty one.
        const std::string text = WebBrowser1.linkText(i);
        if (!text.empty() && text.find(name) != std::string::npos) {
            WebBrowser1.clickLink(i);
            ++clicked;
        }
    }
    return clicked;
}

void AudioRecorder::playerChanged() {
    // The station page says what plays; the pane reads it again, keeping the user's place.
    WebBrowser1.refresh();
    if (const Station now = program_.platform.player.current(); !now.name.empty())
        lastStation_ = now;
    if (planLookup_.empty())
        return;
    const StationPlayer& player = program_.platform.player;
    if (player.current().name != planLookup_ || player.state() == PlayerState::Playing) {
        planLookup_.clear();  // found, or something else plays now
    } else if (player.state() == PlayerState::Failed) {
        const std::string why =
            "计划的电台“" + planLookup_ + "”不在电台列表里，也没有在电台目录里找到";
        planLookup_.clear();
        program_.platform.prompts.messageBox(why, kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

void AudioRecorder::Command1_Click() {
    // The plan window hands over the station of the plan being started.
    const std::string name = program_.form<frmDingshishouting>().TBoxMingCheng.text();
    if (clickStationLinks(name) > 0 || name.empty())
        return;
    // No link names it: a plan may name any station, so the directory is asked, and the user
    // learns why nothing plays when it does not know the name either.
    if (program_.portal.lists(name))
        return;  // listed, but the page is not there to click (offline, not loaded yet)
    planLookup_ = name;
    program_.platform.player.play({name, ""});
}

void AudioRecorder::Command3_Click() {
    WebBrowser1.stop();
    program_.platform.player.stop();
}

void AudioRecorder::Command4_Click() {
    clickStationLinks(std::string(radio::kAutoListenStation));
}

void AudioRecorder::Timer3_Timer() {
    // Letting messages through below may deliver the next tick; it must not count twice and
    // so click twice.
    if (inTimer3_)
        return;
    inTimer3_ = true;
    Label1.setCaption(std::to_string(numberIn(Label1.caption()) - 1));
    program_.platform.windows.doEvents();
    const bool due = numberIn(Label1.caption()) == 0;
    inTimer3_ = false;
    if (due)
        Command4_Click();
}

}  // namespace sonorin
