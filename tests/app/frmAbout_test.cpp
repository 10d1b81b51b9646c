// The about box: its texts, its links and the three ways of looking for the system-information
// program.
#include <gtest/gtest.h>

#include "app/frmAbout.h"
#include "app/AudioRecorder.h"
#include "app/config.h"
#include "fakes/program_fixture.h"

namespace sonorin {
namespace {

constexpr const char* kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

class AboutTest : public ProgramFixture {
  protected:
    frmAbout& about() { return program().form<frmAbout>(); }
};

TEST_F(AboutTest, LoadShowsTitleVersionFromTheResourceAndTheIcon) {
    process.programVersion = {5, 2, 15};
    frmAbout& a = about();
    EXPECT_EQ(a.caption(), "关于 星澜网络收音机");
    EXPECT_EQ(a.lblTitle.caption(), "名称： 星澜网络收音机");
    EXPECT_EQ(a.lblVersion.caption(), "版本： 5.2.15");
    EXPECT_EQ(a.lblDescription.caption(), "简介：在线网络电台。附带录音等功能。");
    EXPECT_FALSE(a.lblDisclaimer.caption().empty());
    EXPECT_EQ(a.Image1.picture(), ui::Image::kAppIcon);
    EXPECT_EQ(a.cmdOK.caption(), "确定");
    EXPECT_EQ(a.cmdSysInfo.caption(), "系统信息(&S)...");
    a.cmdOK.click();
    EXPECT_FALSE(a.loaded());
}

TEST_F(AboutTest, TheContactLinesOpenTheSiteAndANewMail) {
    frmAbout& a = about();
    a.Label1.click();
    a.Label5.click();
    ASSERT_EQ(shell.opens.size(), 2u);
    EXPECT_EQ(shell.opens[0].verb, "");
    EXPECT_EQ(shell.opens[0].file, config::makerSite());
    EXPECT_EQ(shell.opens[1].verb, "open");
    EXPECT_EQ(shell.opens[1].file, "mailto:" + config::makerMail());
}

TEST_F(AboutTest, TheFirstRegistryValueIsStartedWithoutCheckingTheFile) {
    registry.setText(kMsinfoKey, "PATH", "C:\\Program Files\\Common Files\\MSINFO32.EXE");
    about().cmdSysInfo.click();
    ASSERT_EQ(shell.runs.size(), 1u);
    EXPECT_EQ(shell.runs[0].commandLine, "\"C:\\Program Files\\Common Files\\MSINFO32.EXE\"");
    EXPECT_EQ(shell.runs[0].show, WindowShow::Normal);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(registry.reads, (std::vector<std::string>{std::string(kMsinfoKey) + "\\PATH"}));
}

TEST_F(AboutTest, TheSecondValueNamesAFolderThatMustHoldTheProgram) {
    registry.setText(kLocationKey, "MSINFO", "C:\\Tools");
    about().StartSysInfo();
    EXPECT_TRUE(shell.runs.empty());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"此时系统信息不可用"}));
    EXPECT_EQ(prompts.boxes[0].title, "星澜网络收音机");
    EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::Ok);

    files.addFile("C:\\Tools\\MSINFO32.EXE");
    about().StartSysInfo();
    ASSERT_EQ(shell.runs.size(), 1u);
    EXPECT_EQ(shell.runs[0].commandLine, "\"C:\\Tools\\MSINFO32.EXE\"");
    EXPECT_EQ(prompts.boxes.size(), 1u);
}

TEST_F(AboutTest, NoValueAtAllOrAProgramThatWillNotStartShowsTheMessage) {
    about().StartSysInfo();
    registry.setText(kMsinfoKey, "PATH", "C:\\gone.exe");
    shell.runWorks = false;
    about().StartSysInfo();
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"此时系统信息不可用", "此时系统信息不可用"}));
}

TEST_F(AboutTest, GetKeyValueTurnsANumberIntoTextAndOtherKindsIntoNothing) {
    registry.values[{RegistryRoot::LocalMachine, "K", "D"}] = RegistryValue{4, "", 1234};
    registry.values[{RegistryRoot::LocalMachine, "K", "B"}] = RegistryValue{3, "\x01\x02", 0};
    std::string value = "old";
    EXPECT_TRUE(about().GetKeyValue(RegistryRoot::LocalMachine, "K", "D", value));
    EXPECT_EQ(value, "1234");
    EXPECT_TRUE(about().GetKeyValue(RegistryRoot::LocalMachine, "K", "B", value));
    EXPECT_EQ(value, "");
    value = "old";
    EXPECT_FALSE(about().GetKeyValue(RegistryRoot::LocalMachine, "K", "missing", value));
    EXPECT_EQ(value, "");
}

TEST_F(AboutTest, BothAboutEntriesOfTheMainWindowOpenTheBox) {
    program().start();
    AudioRecorder& main = program().form<AudioRecorder>();
    main.mnu_about.click();
    EXPECT_TRUE(program().form<frmAbout>().visible());
    program().form<frmAbout>().unload();
    main.mnu_TrayAbout.click();
    EXPECT_TRUE(program().form<frmAbout>().visible());
}

}  // namespace
}  // namespace sonorin
