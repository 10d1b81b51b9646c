#include "app/frmAbout.h"

#include <exception>

#include "app/config.h"
#include "app/program.h"
#include "base/app_title.h"

namespace sonorin {
namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

}  // namespace

frmAbout::frmAbout(Program& program) : ui::Form(program.forms, "frmAbout"), program_(program) {
    setCaption("关于我的应用程序");
    setBorder(ui::BorderStyle::FixedDialog, false, false);
    setClientSize(5730, 3450);

    picIcon.setBounds(240, 240, 540, 540);
    picIcon.setPicture(ui::Image::kAppIcon);
    picIcon.setVisible(false);
    Image1.setBounds(240, 240, 540, 540);
    lblTitle.setBounds(1050, 240, 4425, 300);
    lblVersion.setBounds(1050, 600, 4425, 300);
    lblDescription.setCaption("简介：在线网络电台。附带录音等功能。");
    lblDescription.setBounds(1050, 960, 4425, 300);
    lblDisclaimer.setCaption(
        "本软件受著作权法保护。未经星澜软件书面许可，任何单位和个人不得复制、修改、传播或出售"
        "本软件的全部或部分内容，违者将依法追究其法律责任。");
    lblDisclaimer.setBounds(255, 1470, 5220, 840);
    Label2.setCaption("网站：");
    Label2.setBounds(255, 2490, 720, 270);
    Label1.setCaption(config::makerSite());
    Label1.setBounds(975, 2490, 3000, 270);
    Label4.setCaption("邮箱：");
    Label4.setBounds(255, 2850, 720, 270);
    Label5.setCaption(config::makerMail());
    Label5.setBounds(975, 2850, 3000, 270);
    cmdOK.setCaption("确定");
    cmdOK.setBounds(4200, 2430, 1275, 375);
    cmdSysInfo.setCaption("系统信息(&S)...");
    cmdSysInfo.setBounds(4200, 2910, 1275, 375);

    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdSysInfo.onClick = [this] { cmdSysInfo_Click(); };
    Label1.onClick = [this] { Label1_Click(); };
    Label5.onClick = [this] { Label5_Click(); };
}

void frmAbout::Form_Load() {
    program_.SkinForm(*this);
    setCaption(std::string("关于 ") + kAppTitle);
    lblTitle.setCaption(std::string("名称： ") + kAppTitle);
    const ProgramVersion v = program_.platform.process.version();
    lblVersion.setCaption("版本： " + std::to_string(v.major) + "." + std::to_string(v.minor) +
                          "." + std::to_string(v.revision));
    Image1.setPicture(picIcon.picture());
}

void frmAbout::cmdOK_Click() {
    unload();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::Label1_Click() {
    // The default verb for a web address opens it in the user's browser.
    program_.platform.shell.open("", Label1.caption(), "", "");
}

void frmAbout::Label5_Click() {
    program_.platform.shell.open("open", "mailto:" + config::makerMail(), "", "");
}

bool frmAbout::GetKeyValue(RegistryRoot root, const std::string& keyPath,
                           const std::string& valueName, std::string& value) {
    value.clear();
    const std::optional<RegistryValue> read =
        program_.platform.registry.read(root, keyPath, valueName);
    if (!read)
        return false;
    if (read->type == kRegSz)
        value = read->data;
    else if (read->type == kRegDword)
        value = std::to_string(read->number);
    return true;
}

void frmAbout::StartSysInfo() {
    Platform& p = program_.platform;
    bool started = false;
    try {
        std::string path;
        if (!GetKeyValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                         "PATH", path)) {
            std::string folder;
            if (GetKeyValue(RegistryRoot::LocalMachine,
                            "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder) &&
                !p.files.findFirst(folder + "\\MSINFO32.EXE", false).empty())
                path = folder + "\\MSINFO32.EXE";
        }
        // Quoted: the usual folder, under "Program Files", holds a blank.
        if (!path.empty())
            started = p.shell.run("\"" + path + "\"", WindowShow::Normal);
    } catch (const std::exception&) {
        started = false;
    }
    if (!started)
        p.prompts.messageBox(kSysInfoUnavailable, kAppTitle, MsgButtons::Ok, MsgIcon::None);
}

}  // namespace sonorin
