// Classification of windows by class name.
#include "skin/skin_kind.h"

#include <gtest/gtest.h>

namespace sonorin::skin {
namespace {

TEST(SkinKind, EveryNameOfTheTable) {
    const struct {
        const char* name;
        SkinKind kind;
    } rows[] = {
        {"#32770", SkinKind::Form},
        {"ThunderFormDC", SkinKind::Form},
        {"ThunderRT6FormDC", SkinKind::Form},
        {"Form", SkinKind::Form},
        {"ThunderCommandButton", SkinKind::CommandButton},
        {"ThunderRT6CommandButton", SkinKind::CommandButton},
        {"Button", SkinKind::CommandButton},
        {"BUTTON", SkinKind::CommandButton},
        {"ThunderComboBox", SkinKind::ComboBox},
        {"ThunderRT6ComboBox", SkinKind::ComboBox},
        {"Combo", SkinKind::ComboBox},
        {"ComboBox", SkinKind::ComboBox},
        {"ThunderDriveListBox", SkinKind::DriveList},
        {"ThunderRT6DriveListBox", SkinKind::DriveList},
        {"ThunderCheckBox", SkinKind::CheckBox},
        {"ThunderRT6CheckBox", SkinKind::CheckBox},
        {"ThunderOptionButton", SkinKind::OptionButton},
        {"ThunderRT6OptionButton", SkinKind::OptionButton},
        {"ProgressBar20WndClass", SkinKind::ProgressBar},
        {"ProgressBarWndClass", SkinKind::ProgressBar},
        {"MSVB_Lib_Header", SkinKind::Header},
        {"SysHeader32", SkinKind::Header},
        {"DataListWndClass", SkinKind::DataList},
        {"DBListWndClass", SkinKind::DataList},
        {"ComboLBox", SkinKind::DropList},
        {"ApexGrid", SkinKind::Grid},
        {"apexgridocx", SkinKind::Grid},
        {"Static", SkinKind::Other},
        {"msctls_statusbar32", SkinKind::Other},
        {"xApexGrid", SkinKind::Other},
        {"buttons", SkinKind::Other},
        {"", SkinKind::Other},
    };
    for (const auto& row : rows)
        EXPECT_EQ(classifyWindowClass(row.name), row.kind) << row.name;
}

TEST(SkinKind, NameEndsAtTheFirstNulAndLongNamesAreRead) {
    EXPECT_EQ(classifyWindowClass(std::string("Button\0Combo", 12)), SkinKind::CommandButton);
    EXPECT_EQ(classifyWindowClass("ApexGrid" + std::string(400, 'x')), SkinKind::Grid);
}

}  // namespace
}  // namespace sonorin::skin
