// The portable window model: load on touch, modal and modeless shows, the unload protocol,
// and the controls' own rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_window_system.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/form_set.h"

namespace sonorin::ui {
namespace {

class Probe : public Form {
  public:
    Probe(FormSet& forms, std::string name, std::vector<std::string>& log)
        : Form(forms, std::move(name)), log_(log) {}

    Frame frame{*this, "frame"};
    OptionButton a{*this, "a", &frame};
    OptionButton b{*this, "b", &frame};
    OptionButton loose{*this, "loose"};
    Label inside{*this, "inside", &frame};

    void Form_Load() override { log_.push_back(name() + ".Load"); }
    void Form_QueryUnload(int& cancel, int mode) override {
        log_.push_back(name() + ".QueryUnload " + std::to_string(mode));
        cancel = refuseClose ? 1 : 0;
    }
    void Form_Unload(int&) override {
        log_.push_back(name() + ".Unload");
        if (onUnload)
            onUnload();
    }

    bool refuseClose = false;
    std::function<void()> onUnload;

  private:
    std::vector<std::string>& log_;
};

class FormModelTest : public ::testing::Test {
  protected:
    FakeWindowSystem windows;
    FormSet forms{windows};
    std::vector<std::string> log;
    Probe one{forms, "one", log};
    Probe two{forms, "two", log};
};

TEST_F(FormModelTest, LoadRunsOnceAndCreatesTheWindowHidden) {
    one.load();
    one.load();
    EXPECT_EQ(log, (std::vector<std::string>{"one.Load"}));
    EXPECT_EQ(windows.created, (std::vector<std::string>{"one"}));
    EXPECT_TRUE(one.loaded());
    EXPECT_FALSE(one.visible());
}

TEST_F(FormModelTest, ShowLoadsFirstAndModalReturnsAfterTheModalLoop) {
    bool sawVisibleWhileModal = false;
    windows.whileModal = [&](Form& f) {
        sawVisibleWhileModal = f.visible() && f.modal();
        f.unload();
    };
    one.show(true);
    EXPECT_TRUE(sawVisibleWhileModal);
    EXPECT_FALSE(one.loaded());
    EXPECT_FALSE(one.modal());
    EXPECT_EQ(log, (std::vector<std::string>{"one.Load", "one.QueryUnload 1", "one.Unload"}));
}

TEST_F(FormModelTest, UnloadKeepsLoadOrderAndTellsTheOwner) {
    std::vector<std::string> dropped;
    forms.onUnloaded = [&](Form& f) { dropped.push_back(f.name()); };
    two.load();
    one.load();
    ASSERT_EQ(forms.loadedForms().size(), 2u);
    EXPECT_EQ(forms.loadedForms()[0], &two);
    EXPECT_TRUE(two.unload(kUnloadFormControlMenu));
    EXPECT_EQ(forms.loadedForms(), (std::vector<Form*>{&one}));
    EXPECT_EQ(dropped, (std::vector<std::string>{"two"}));
    EXPECT_EQ(windows.destroyed, (std::vector<std::string>{"two"}));
    EXPECT_TRUE(two.unload());  // not loaded: nothing runs
    EXPECT_EQ(log.back(), "two.Unload");
}

TEST_F(FormModelTest, CancelInTheCloseHandlerKeepsTheWindow) {
    one.load();
    one.refuseClose = true;
    EXPECT_FALSE(one.unload(kUnloadFormControlMenu));
    EXPECT_TRUE(one.loaded());
    EXPECT_EQ(log.back(), "one.QueryUnload 0");  // the unload handler did not run
}

TEST_F(FormModelTest, AnUnloadHandlerThatUnloadsItsOwnWindowRunsOnce) {
    one.load();
    two.load();
    one.onUnload = [&] { two.unload(); };
    two.onUnload = [&] { one.unload(); };
    EXPECT_TRUE(one.unload());
    EXPECT_FALSE(one.loaded());
    EXPECT_FALSE(two.loaded());
    int oneUnloads = 0;
    for (const std::string& entry : log)
        oneUnloads += entry == "one.Unload";
    EXPECT_EQ(oneUnloads, 1);
}

TEST_F(FormModelTest, PlacedAndShownWindowsStayInsideTheWorkArea) {
    const double w = windows.screenW, h = windows.screenH;
    one.move(-420, h - 1000, 3000, 2000);
    EXPECT_EQ(one.left(), 0);
    EXPECT_EQ(one.top(), h - 2000);
    // Larger than the screen: the top left corner stays reachable.
    one.move(100, 100, w + 15, h + 15);
    EXPECT_EQ(one.left(), 0);
    EXPECT_EQ(one.top(), 0);
    // Placed by the window system beyond the right edge, brought in when shown.
    two.load();
    two.syncFromNative(w - 100, 300, 3000, 2000);
    two.show();
    EXPECT_EQ(two.left(), w - 3000);
    EXPECT_EQ(two.top(), 300);
}

TEST(ScreenAreaTest, DockingTakesThePreferredSideThenTheOtherThenCoversLeast) {
    const ScreenArea area{0, 0, 10000, 8000};
    const auto docked = [&](double anchorLeft, double anchorWidth, bool preferLeft) {
        const Placement at =
            dockedBeside(area, {anchorLeft, 1000}, anchorWidth, 2000, preferLeft, 400);
        return std::pair{at.left, at.top};
    };
    EXPECT_EQ(docked(4000, 3000, true), std::pair(2000.0, 1000.0));
    EXPECT_EQ(docked(1000, 3000, true), std::pair(4000.0, 1000.0));
    EXPECT_EQ(docked(4000, 3000, false), std::pair(7000.0, 1000.0));
    EXPECT_EQ(docked(6000, 3000, false), std::pair(4000.0, 1000.0));
    // No room beside it: as much cover on either side keeps the preferred one; the title bar is
    // lifted above the anchor's.
    EXPECT_EQ(docked(1000, 8000, true), std::pair(0.0, 600.0));
    EXPECT_EQ(docked(1000, 8000, false), std::pair(8000.0, 600.0));
    // Less cover on the other side wins over the preference.
    EXPECT_EQ(docked(500, 8000, true), std::pair(8000.0, 600.0));
    // No room above the anchor to lift it: on the right, level with the anchor.
    const Placement low = dockedBeside(area, {1000, 200}, 8000, 2000, true, 400);
    EXPECT_EQ(std::pair(low.left, low.top), std::pair(8000.0, 200.0));
}

TEST_F(FormModelTest, OptionButtonsOfOneContainerExcludeEachOtherAndClickWhenSelected) {
    int aClicks = 0, bClicks = 0;
    one.a.onClick = [&] { ++aClicks; };
    one.b.onClick = [&] { ++bClicks; };
    one.loose.setValue(true);
    one.a.setValue(true);
    EXPECT_TRUE(one.a.value());
    EXPECT_TRUE(one.loose.value()) << "another container is another group";
    one.b.setValue(true);
    EXPECT_FALSE(one.a.value());
    EXPECT_TRUE(one.b.value());
    one.b.setValue(false);  // clearing raises no click
    one.b.setValue(true);   // selecting from code clicks even when selected
    EXPECT_EQ(aClicks, 1);
    EXPECT_EQ(bClicks, 2);
    // The user's click runs the handler only when the value changes, as on Windows.
    one.b.click();
    EXPECT_EQ(bClicks, 2);
    one.a.click();
    EXPECT_TRUE(one.a.value());
    EXPECT_FALSE(one.b.value());
    EXPECT_EQ(aClicks, 2);
}

TEST_F(FormModelTest, ControlsInAHiddenFrameAreNotShownAndFollowItsPosition) {
    one.frame.setBounds(100, 200, 1000, 1000);
    one.inside.setBounds(10, 20, 300, 300);
    EXPECT_EQ(one.inside.formLeft(), 110);
    EXPECT_EQ(one.inside.formTop(), 220);
    one.frame.setVisible(false);
    EXPECT_TRUE(one.inside.visible());
    EXPECT_FALSE(one.inside.shown());
}

TEST_F(FormModelTest, ADisabledFrameMakesWhatItHoldsUnusableButKeepsTheirOwnSetting) {
    one.b.setEnabled(false);
    one.frame.setEnabled(false);
    EXPECT_TRUE(one.a.enabled());
    EXPECT_FALSE(one.a.usable());
    EXPECT_TRUE(one.loose.usable());
    one.frame.setEnabled(true);
    EXPECT_TRUE(one.a.usable());
    EXPECT_FALSE(one.b.usable());
}

class Gadgets : public Form {
  public:
    explicit Gadgets(FormSet& forms) : Form(forms, "gadgets") {}
    Slider slider{*this, "slider"};
    StatusBar bar{*this, "bar", 3};
    Timer timer{*this, "timer", 0};
    MenuItem file{*this, "file", "文件(F)"};
    MenuItem exit{*this, "exit", "退出", &file};
    MenuItem line{*this, "line", "-", &file};
    WebBrowserPane pane{*this, "pane"};
    ComboBox combo{*this, "combo"};
    ComboBox choice{*this, "choice", ComboStyle::DropDownList};
    ListView list{*this, "list"};
    DateTimePicker picker{*this, "picker"};
};

TEST(ControlsTest, SliderKeepsItsValueInRange) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    g.slider.setMax(100);
    g.slider.setValue(250);
    EXPECT_EQ(g.slider.value(), 100);
    g.slider.setValue(-5);
    EXPECT_EQ(g.slider.value(), 0);
    g.slider.setValue(80);
    g.slider.setMax(50);
    EXPECT_EQ(g.slider.value(), 50);
}

TEST(ControlsTest, StatusBarPanelsAreNumberedFromOne) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    g.bar.setPanelText(2, "正在录音");
    g.bar.setPanelWidth(3, 1234.5);
    EXPECT_EQ(g.bar.panelCount(), 3);
    EXPECT_EQ(g.bar.panel(2).text, "正在录音");
    EXPECT_EQ(g.bar.panel(3).width, 1234.5);
    EXPECT_THROW(g.bar.setPanelText(4, "x"), std::out_of_range);
}

TEST(ControlsTest, TimerRunsOnlyWhenEnabledWithAnInterval) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    EXPECT_FALSE(g.timer.running());
    g.timer.setInterval(300);
    EXPECT_TRUE(g.timer.running());
    g.timer.setEnabled(false);
    EXPECT_FALSE(g.timer.running());
}

TEST(ControlsTest, MenusKnowTheirEntriesAndSeparators) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    ASSERT_EQ(g.file.items().size(), 2u);
    EXPECT_EQ(g.file.items()[0], &g.exit);
    EXPECT_FALSE(g.exit.isSeparator());
    EXPECT_TRUE(g.line.isSeparator());
    EXPECT_EQ(g.exit.parent(), &g.file);
}

TEST(ControlsTest, APaneWithoutAnEngineHasNoPage) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    g.pane.navigate("http://127.0.0.1/radio");
    g.pane.clickLink(3);
    EXPECT_EQ(g.pane.linkCount(), 0);
    EXPECT_EQ(g.pane.linkText(0), "");
    EXPECT_EQ(g.pane.documentText(), "");
}

TEST(ControlsTest, ComboBoxesTellChoicesFromTyping) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    int clicks = 0, changes = 0;
    g.combo.onClick = [&] { ++clicks; };
    g.combo.onChange = [&] { ++changes; };
    for (const char* item : {"01", "02", "03"}) {
        g.combo.addItem(item);
        g.choice.addItem(item);
    }
    g.combo.setListIndex(1);
    EXPECT_EQ(g.combo.text(), "02");
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(changes, 1);
    g.combo.setText("60");
    EXPECT_EQ(g.combo.listIndex(), -1) << "a typed text is no choice";
    EXPECT_EQ(changes, 2);
    g.combo.setListIndex(7);
    EXPECT_EQ(g.combo.text(), "60") << "an index out of range is ignored";
    g.choice.setText("03");
    EXPECT_EQ(g.choice.listIndex(), 2);
    g.choice.setText("04");
    EXPECT_EQ(g.choice.listIndex(), -1);
    EXPECT_EQ(g.choice.text(), "");
}

TEST(ControlsTest, ListViewRowsKeepTheirIdsAndSelection) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    for (const char* t : {"a", "b", "c", "d"})
        g.list.addRow({t});
    EXPECT_EQ(g.list.text(0, 5), "") << "a missing column reads empty";
    const long long idOfC = g.list.rowId(2);
    g.list.setSelected(1, true);
    g.list.setSelected(3, true);
    EXPECT_FALSE(g.list.selected(1)) << "one selected row without multiple selection";
    g.list.setMultiSelect(true);
    g.list.setSelected(1, true);
    EXPECT_EQ(g.list.selectedItem(), 1) << "the current row";
    g.list.removeRow(1);
    EXPECT_EQ(g.list.findRow(idOfC), 1);
    EXPECT_EQ(g.list.selectedItem(), 2) << "the current row went: the first selected one";
    g.list.setSelectedItem(0);
    EXPECT_TRUE(g.list.selected(0));
    EXPECT_FALSE(g.list.selected(2)) << "a row that was not selected becomes the only one";
    g.list.setSelected(0, true);
    g.list.setSelected(1, true);
    g.list.setSelectedItem(1);
    EXPECT_TRUE(g.list.selected(0)) << "a selected row keeps the others";
    g.list.removeRow(g.list.findRow(idOfC));
    EXPECT_EQ(g.list.findRow(idOfC), -1);
    g.list.setText(0, 2, "x");
    EXPECT_EQ(g.list.text(0, 2), "x");
    g.list.clearRows();
    EXPECT_EQ(g.list.selectedItem(), -1);
}

TEST(ControlsTest, PickerKeepsATimeOfDay) {
    FakeWindowSystem windows;
    FormSet forms{windows};
    Gadgets g{forms};
    g.picker.setTimeOfDay(86400 + 1800);
    EXPECT_EQ(g.picker.timeOfDay(), 1800);
    g.picker.setTimeOfDay(-60);
    EXPECT_EQ(g.picker.timeOfDay(), 86340);
}

}  // namespace
}  // namespace sonorin::ui
