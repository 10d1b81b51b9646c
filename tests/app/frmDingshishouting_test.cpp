// The listening-plan window: what it shows at load, adding plans with their checks and end
// times, deleting and clearing, the context menu, and the plan file at load and unload.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/plan_window_fixture.h"

namespace sonorin {
namespace {

using PlanWindowTest = PlanWindowFixture;

std::vector<std::string> column(const ui::ListView& list, int c) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.rowCount(); ++row)
        texts.push_back(list.text(row, c));
    return texts;
}

TEST_F(PlanWindowTest, LoadingFillsTheWindowAndDocksItBesideTheMainWindow) {
    files.addFile(kPlanFile, "8:05:00\t8:35:00\t\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5\r\n");
    frmDingshishouting& w = open();
    EXPECT_EQ(w.caption(), "定时收听设置_星澜网络收音机");
    EXPECT_FALSE(w.visible()) << "touching the window loads it without showing it";
    EXPECT_EQ(column(w.ListView1, 2), std::vector<std::string>{"北京新闻"});

    const AudioRecorder& m = main();
    // The main window stands in the middle of the screen, with room on its left.
    ASSERT_GE(m.left(), w.width());
    EXPECT_EQ(w.left(), m.left() - w.width());
    EXPECT_EQ(w.top(), m.top());
    EXPECT_EQ(w.height(), m.height());
    EXPECT_EQ(w.CmdAddItem.top(), 4940);
    EXPECT_EQ(w.CmdClear.top(), 4940);
    EXPECT_EQ(w.LabelBegin.top(), 3540);
    EXPECT_EQ(w.LabelDiantai.top(), 4500);
    EXPECT_EQ(w.cboxdian.top(), 3550);
    EXPECT_EQ(w.cboxmiao.top(), 3550);
    EXPECT_TRUE(w.ListView1.flat());
    EXPECT_FALSE(w.ListView1.border());
    EXPECT_TRUE(w.ListView1.multiSelect());
    ASSERT_EQ(w.ListView1.columns().size(), 3u);
    EXPECT_EQ(w.ListView1.columns()[0].caption, "开始时间");
    EXPECT_EQ(w.ListView1.columns()[1].width, 1288);
    EXPECT_EQ(w.ListView1.columns()[2].caption, "电台名称");
    EXPECT_EQ(w.ListView1.columns()[2].width, 1628);

    EXPECT_EQ(w.CBoxHour.listCount(), 24);
    EXPECT_EQ(w.CBoxHour.list(0), "0");
    EXPECT_EQ(w.CBoxHour.list(23), "23");
    EXPECT_EQ(w.CBoxMin.listCount(), 59);
    EXPECT_EQ(w.CBoxMin.list(0), "01");
    EXPECT_EQ(w.CBoxSec.list(58), "59");
    EXPECT_EQ(w.CBoxShiChang.items(),
              (std::vector<std::string>{"不确定", "1分钟", "5分钟", "10分钟", "15分钟", "30分钟",
                                        "45分钟", "60分钟", "90分钟", "120分钟", "150分钟",
                                        "180分钟", "210分钟", "240分钟", "270分钟", "300分钟"}));
    EXPECT_EQ(w.CBoxDiantai.listCount(), 36);
    EXPECT_EQ(w.CBoxDiantai.list(1), "中文环球");
    EXPECT_EQ(w.CBoxDiantai.list(33), "北京故事");
    EXPECT_EQ(w.CBoxDiantai.list(34), "北京故事");
    EXPECT_EQ(w.CBoxDiantai.list(35), "苏州故事");

    // The clock says 9:05:07: ten seconds on is 9:05:17, proposed as 9 / 06 / 00.
    EXPECT_EQ(w.CBoxShiChang.text(), "不确定");
    EXPECT_EQ(w.CBoxDiantai.text(), "环球资讯");
    EXPECT_EQ(w.TBoxShijian.text(), "9:5:17");
    EXPECT_EQ(w.CBoxHour.text(), "9");
    EXPECT_EQ(w.CBoxMin.text(), "06");
    EXPECT_EQ(w.CBoxSec.text(), "00");
    EXPECT_EQ(w.时间标签.caption(), "2026/12/6 9:05:07");
    EXPECT_TRUE(w.定时提醒时钟.running());
    EXPECT_EQ(w.定时提醒时钟.interval(), 1000);
    EXPECT_TRUE(w.刷新时间时钟.running());
    clock.advanceSeconds(2);
    w.刷新时间时钟.tick();
    EXPECT_EQ(w.时间标签.caption(), "2026/12/6 9:05:09");

    // The context menu: "修改", a line, "删除"; "添加" is never shown.
    EXPECT_FALSE(w.mnuPop.visible());
    EXPECT_FALSE(w.mnuAdd.visible());
    EXPECT_EQ(w.mnuEdit.caption(), "修改");
    EXPECT_TRUE(w.mnuline1.isSeparator());
    EXPECT_FALSE(w.TBoxMingCheng.visible());
}

TEST_F(PlanWindowTest, AStationTheStationListLacksIsMarkedBesideTheChoice) {
    files.addFile("C:\\Sonorin\\stations.m3u", "#EXTM3U\r\n#EXTINF:-1,中文环球\r\n");
    frmDingshishouting& w = open();
    EXPECT_EQ(w.CBoxDiantai.text(), "环球资讯");
    EXPECT_TRUE(w.LabelUnlisted.visible());
    w.CBoxDiantai.setText("中文环球");
    EXPECT_FALSE(w.LabelUnlisted.visible());
}

TEST_F(PlanWindowTest, TheProposedMinuteCarriesIntoTheNextHour) {
    struct Case {
        DateTime now;
        const char* hour;
        const char* minute;
    };
    for (const Case& c :
         {Case{{2026, 12, 6, 9, 58, 49}, "9", "59"}, Case{{2026, 12, 6, 9, 58, 50}, "10", "00"},
          Case{{2026, 12, 6, 9, 59, 49}, "10", "00"}, Case{{2026, 12, 6, 23, 59, 30}, "0", "00"},
          Case{{2026, 12, 6, 23, 59, 50}, "0", "01"}}) {
        clock.current = c.now;
        frmDingshishouting& w = open();
        EXPECT_EQ(w.CBoxHour.text(), c.hour) << c.now.minute << ":" << c.now.second;
        EXPECT_EQ(w.CBoxMin.text(), c.minute) << c.now.minute << ":" << c.now.second;
        const int before = w.ListView1.rowCount();
        w.CmdAddItem.click();
        EXPECT_EQ(w.ListView1.rowCount(), before + 1) << "the proposed time is accepted";
        w.unload();
    }
}

TEST_F(PlanWindowTest, AddingChecksTheInputsInOrderAndAddsNothingOnAFailure) {
    frmDingshishouting& w = open();
    struct Case {
        const char *h, *m, *s, *duration, *message;
    };
    const char* wrongMinute =
        "请输入正确的时间（分钟是个位数时前面要加“0”，同时不能等于或大于60）！";
    const Case cases[] = {
        {"", "05", "00", "30分钟", "请输正确的时间（时、分、秒）！"},
        {"8", "05", "", "30分钟", "请输正确的时间（时、分、秒）！"},
        {"8", "0五", "00", "30分钟", "请输入正确的时间（必须是阿拉伯数字）！"},
        {"-1", "05", "00", "30分钟", "请输入正确的时间（必须是阿拉伯数字）！"},
        {"8", "05", "1e1", "30分钟", "请输入正确的时间（必须是阿拉伯数字）！"},
        {"08", "05", "00", "30分钟", "请输入正确的时间（小时前面不能加“0”）！"},
        {"24", "05", "00", "30分钟", "“小时”不能等于或大于24，请重新输入！"},
        {"30", "05", "00", "30分钟", "“小时”不能等于或大于24，请重新输入！"},
        {"100", "05", "00", "30分钟", "“小时”不能等于或大于24，请重新输入！"},
        {"8", "5", "00", "30分钟", wrongMinute},
        {"8", "60", "00", "30分钟", wrongMinute},
        {"8", "005", "00", "30分钟", wrongMinute},
        {"8", "05", "7", "30分钟",
         "请输入正确的时间（秒是个位数时前面要加“0”，同时不能等于或大于60）！"},
        {"8", "05", "00", "半小时", "请输入正确的收听时长（“不确定”或分钟数，如“30”或“30分钟”）！"},
        {"8", "05", "00", "", "请输入正确的收听时长（“不确定”或分钟数，如“30”或“30分钟”）！"},
    };
    for (const Case& c : cases) {
        prompts.boxes.clear();
        enter(w, c.h, c.m, c.s, c.duration, "北京新闻");
        w.CmdAddItem.click();
        ASSERT_EQ(prompts.boxes.size(), 1u) << c.h << " " << c.m << " " << c.s;
        EXPECT_EQ(prompts.boxes[0].text, c.message) << c.h << " " << c.m << " " << c.s;
        EXPECT_EQ(prompts.boxes[0].title, "星澜网络收音机");
        EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(w.ListView1.rowCount(), 0);
}

TEST_F(PlanWindowTest, AddingAppendsTheStartTheComputedEndAndTheStation) {
    frmDingshishouting& w = open();
    struct Case {
        const char *h, *m, *s, *duration, *station, *end;
    };
    const Case cases[] = {
        {"8", "05", "00", "30分钟", "北京新闻", "8:35:00"},
        {"8", "05", "00", "不确定", "北京新闻", "不确定"},
        {"23", "50", "00", "30分钟", "英国BBC", "0:20:00"},
        {"0", "00", "00", "300分钟", "中文环球", "5:00:00"},
        {"3", "59", "59", "1分钟", "", "4:00:59"},
        {"12", "00", "30", "25", "不在列表里的电台", "12:25:30"},
        {"12", "00", "00", "1.5分钟", "x", "12:01:30"},
        {"22", "00", "00", "1500", "x", "23:00:00"},
    };
    for (const Case& c : cases) {
        enter(w, c.h, c.m, c.s, c.duration, c.station);
        w.CmdAddItem.click();
    }
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes[0].text;
    ASSERT_EQ(w.ListView1.rowCount(), 8);
    for (int row = 0; row < 8; ++row) {
        const Case& c = cases[row];
        EXPECT_EQ(w.plan(row),
                  (ListeningPlan{std::string(c.h) + ":" + c.m + ":" + c.s, c.end, c.station}));
    }
    EXPECT_EQ(w.CBoxHour.text(), "22") << "the inputs keep their values";
    EXPECT_FALSE(files.exists(kPlanFile)) << "adding does not write the file";
}

TEST_F(PlanWindowTest, DeletingAndClearingAskFirstAndDoubleClickDoesNot) {
    frmDingshishouting& w = open();
    for (const char* t : {"1:00:00", "2:00:00", "3:00:00", "4:00:00"})
        w.addPlan({t, "不确定", "x"});
    w.CmdDelete.click();
    EXPECT_TRUE(prompts.boxes.empty()) << "nothing selected, nothing asked";

    w.ListView1.setSelected(0, true);
    w.ListView1.setSelected(2, true);
    prompts.answers = {MsgAnswer::No};
    w.CmdDelete.click();
    EXPECT_EQ(w.ListView1.rowCount(), 4);
    w.CmdDelete.click();
    EXPECT_EQ(column(w.ListView1, 0), (std::vector<std::string>{"2:00:00", "4:00:00"}));
    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[1].text, "你确定要删除所选收听计划吗？");
    EXPECT_EQ(prompts.boxes[1].title, "提示");
    EXPECT_EQ(prompts.boxes[1].buttons, MsgButtons::YesNo);

    w.mnuDelete.click();
    EXPECT_EQ(prompts.boxes.size(), 3u) << "the menu asks even with nothing selected";
    EXPECT_EQ(w.ListView1.rowCount(), 2);

    w.addPlan({"5:00:00", "不确定", "x"});
    w.ListView1.setSelected(0, true);
    w.ListView1.setSelected(2, true);
    w.ListView1.onDblClick();
    EXPECT_EQ(column(w.ListView1, 0), (std::vector<std::string>{"2:00:00", "4:00:00"}))
        << "only the current row goes, without a question";
    EXPECT_EQ(prompts.boxes.size(), 3u);

    w.CmdClear.click();
    EXPECT_EQ(prompts.boxes.back().text, "你确定要清除所有收听计划吗？");
    EXPECT_EQ(w.ListView1.rowCount(), 0);
    const auto asked = prompts.boxes.size();
    w.CmdClear.click();
    EXPECT_EQ(prompts.boxes.size(), asked) << "an empty list asks nothing";
}

TEST_F(PlanWindowTest, ARightClickSelectsTheRowUnderThePointerAndPopsUpTheMenu) {
    frmDingshishouting& w = open();
    w.ListView1.onMouseDown(ui::MouseButton::Right, -1);
    EXPECT_TRUE(windows.popups.empty()) << "empty space and no selection: no menu";
    w.addPlan({"1:00:00", "不确定", "x"});
    w.addPlan({"2:00:00", "不确定", "y"});
    w.ListView1.onMouseDown(ui::MouseButton::Left, 1);
    EXPECT_TRUE(windows.popups.empty());
    w.ListView1.onMouseDown(ui::MouseButton::Right, 1);
    EXPECT_EQ(w.ListView1.selectedItem(), 1);
    EXPECT_EQ(windows.popups, std::vector<std::string>{"mnuPop"});
    w.ListView1.onMouseDown(ui::MouseButton::Right, -1);
    EXPECT_EQ(windows.popups.size(), 2u) << "a row selected before still shows the menu";
}

TEST_F(PlanWindowTest, UnloadingSavesThePlansAndTheNextLoadReadsThemAgain) {
    files.addFile(kPlanFile, "7:30:00\r\n");
    frmDingshishouting& w = open();
    enter(w, "8", "05", "00", "30分钟", "北京新闻");
    w.CmdAddItem.click();
    w.unload(ui::kUnloadFormControlMenu);
    EXPECT_EQ(*files.content(kPlanFile),
              "7:30:00\t\t\r\n8:05:00\t8:35:00\t\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5\r\n");

    frmDingshishouting& again = program().form<frmDingshishouting>();
    EXPECT_EQ(again.ListView1.rowCount(), 2);
    again.ListView1.clearRows();
    main().unload();  // shutting down unloads the plan window too
    EXPECT_EQ(files.content(kPlanFile), std::string()) << "an empty file, not a missing one";
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(PlanWindowTest, ClosingTheProgramWithoutThePlanWindowLeavesTheFileAlone) {
    files.addFile(kPlanFile, "7:30:00\r\n");
    program().start();
    main().unload();
    EXPECT_EQ(*files.content(kPlanFile), "7:30:00\r\n");
    for (const std::string& call : files.log)
        EXPECT_EQ(call.find("RadioTime"), std::string::npos) << call;
}

TEST_F(PlanWindowTest, QuittingWhileThePlansAreReadLeavesTheFileWhole) {
    const std::string written = "7:00:00\t\t\r\n8:00:00\t\t\r\n9:00:00\t\t\r\n";
    files.addFile(kPlanFile, written);
    program().start();
    // The user quits while the first line is in: the rest of the file is not read yet.
    windows.onDoEvents = [this] {
        windows.onDoEvents = nullptr;
        main().unload(ui::kUnloadFormControlMenu);
    };
    program().form<frmDingshishouting>();
    EXPECT_EQ(files.content(kPlanFile), written);
}

TEST_F(PlanWindowTest, TheLayoutLoadsThePlanWindowAndTheMenusAndButtonShowIt) {
    program().start();
    EXPECT_FALSE(program().isLoaded<frmDingshishouting>());
    main().Form_Resize();
    EXPECT_TRUE(program().isLoaded<frmDingshishouting>());
    EXPECT_FALSE(program().form<frmDingshishouting>().visible());
    for (ui::MenuItem* entry : {&main().mnuShouting, &main().Mnu_DingshiShouting}) {
        program().form<frmDingshishouting>().hide();
        entry->click();
        EXPECT_TRUE(program().form<frmDingshishouting>().visible());
        EXPECT_FALSE(program().form<frmDingshishouting>().modal());
    }
    program().form<frmDingshishouting>().unload();
    main().cmdPlay.click();
    EXPECT_TRUE(program().form<frmDingshishouting>().visible());
}

}  // namespace
}  // namespace sonorin
