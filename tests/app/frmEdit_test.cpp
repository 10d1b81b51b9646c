// The plan entry editor: filled from the selected row, "确定" writes back, the title bar
// writes nothing.
#include "app/frmEdit.h"

#include <gtest/gtest.h>

#include "app/plan_window_fixture.h"

namespace sonorin {
namespace {

class PlanEditorTest : public PlanWindowFixture {
  protected:
    // The plan window with these plans, the given row selected and the editor opened from
    // the context menu.
    frmEdit& edit(const std::vector<ListeningPlan>& plans, int row) {
        frmDingshishouting& w = open();
        w.show();
        for (const ListeningPlan& p : plans)
            w.addPlan(p);
        w.ListView1.setSelectedItem(row);
        w.mnuEdit.click();
        return program().form<frmEdit>();
    }
    frmDingshishouting& plans() { return program().form<frmDingshishouting>(); }
    static int at(int h, int m, int s) { return h * 3600 + m * 60 + s; }
};

TEST_F(PlanEditorTest, OpensBesideThePlanWindowWithTheSelectedRow) {
    frmEdit& e = edit({{"1:00:00", "2:00:00", "x"}, {"8:05:00", "8:35:00", "北京新闻"}}, 1);
    EXPECT_TRUE(e.visible());
    EXPECT_FALSE(e.modal());
    EXPECT_EQ(e.caption(), "Form1");
    EXPECT_EQ(e.left(), plans().left() + plans().width());
    EXPECT_EQ(e.top(), plans().top());
    EXPECT_EQ(e.DTPicker1.format(), ui::PickerFormat::Time);
    EXPECT_EQ(e.DTPicker1.timeOfDay(), at(8, 5, 0));
    EXPECT_EQ(e.DTPicker2.timeOfDay(), at(8, 35, 0));
    EXPECT_EQ(e.CBoxDiantai.text(), "北京新闻");
    EXPECT_EQ(e.CBoxDiantai.items(),
              (std::vector<std::string>{"中文环球", "外语教学", "CRI新闻", "中文环球", "环球资讯",
                                        "猫扑电台", "都市流行", "怀旧金曲", "中文环球", "中国之声",
                                        "经济之声"}));
    e.Command1.click();
    EXPECT_FALSE(program().isLoaded<frmEdit>());
    EXPECT_EQ(plans().plan(1), (ListeningPlan{"8:05:00", "8:35:00", "北京新闻"}))
        << "confirming without changes leaves the row as it was";
}

TEST_F(PlanEditorTest, AnUndeterminedEndIsProposedHalfAnHourAfterTheStart) {
    frmEdit& e = edit({{"23:50:00", "不确定", "英国BBC"}}, 0);
    EXPECT_EQ(e.DTPicker2.timeOfDay(), at(0, 20, 0));
    e.Command1.click();
    EXPECT_EQ(plans().plan(0), (ListeningPlan{"23:50:00", "0:20:00", "英国BBC"}));

    frmEdit& again = edit({{"7:00:00", "不确定", "美国之音"}}, 1);
    again.DTPicker1.setTimeOfDay(at(6, 5, 9));
    again.CBoxDiantai.setText("中国之声");
    again.Command1.click();
    EXPECT_EQ(plans().plan(1), (ListeningPlan{"6:05:09", "7:30:00", "中国之声"}));
}

TEST_F(PlanEditorTest, TheTitleBarAndADeletedRowWriteNothing) {
    frmEdit& e = edit({{"8:05:00", "8:35:00", "北京新闻"}, {"9:00:00", "9:30:00", "y"}}, 0);
    e.DTPicker1.setTimeOfDay(at(10, 0, 0));
    e.unload(ui::kUnloadFormControlMenu);
    EXPECT_EQ(plans().plan(0).BeginTime, "8:05:00");

    frmEdit& second = edit({}, 0);
    plans().ListView1.removeRow(0);  // the row goes while the editor is open
    plans().ListView1.setSelectedItem(0);
    second.DTPicker1.setTimeOfDay(at(10, 0, 0));
    second.Command1.click();
    EXPECT_FALSE(program().isLoaded<frmEdit>());
    EXPECT_EQ(plans().plan(0), (ListeningPlan{"9:00:00", "9:30:00", "y"}));

    // A row that is still there: "确定" writes into the row selected at that moment.
    frmEdit& third = edit({}, 0);
    plans().addPlan({"1:00:00", "2:00:00", "z"});
    plans().ListView1.setSelectedItem(1);
    third.Command1.click();
    EXPECT_EQ(plans().plan(1), (ListeningPlan{"9:00:00", "9:30:00", "y"}));
}

TEST_F(PlanEditorTest, UnloadingThePlanWindowClosesTheEditor) {
    edit({{"8:05:00", "8:35:00", "北京新闻"}}, 0);
    plans().unload();
    EXPECT_FALSE(program().isLoaded<frmEdit>());
}

TEST(PlanTimeTest, ReadsTimesOfDayAndRefusesTheRest) {
    EXPECT_EQ(planTimeSeconds("8:05:00"), 8 * 3600 + 300);
    EXPECT_EQ(planTimeSeconds("08:05"), 8 * 3600 + 300);
    EXPECT_EQ(planTimeSeconds("23:59:59"), 86399);
    for (const char* bad :
         {"", "不确定", " 8:05:00", "24:00:00", "8:60:00", "8:05:00:00", "8", "8::00", "8:005:00"})
        EXPECT_EQ(planTimeSeconds(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace sonorin
