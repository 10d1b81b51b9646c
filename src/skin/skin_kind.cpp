#include "skin/skin_kind.h"

#include <initializer_list>

#include "base/ascii.h"

namespace sonorin::skin {
namespace {

struct KindRow {
    std::initializer_list<const char*> names;
    SkinKind kind;
};

// Tested in this order; the first match wins.
const KindRow kKinds[] = {
    {{"#32770", "thunderformdc", "thunderrt6formdc", "form"}, SkinKind::Form},
    {{"thundercommandbutton", "thunderrt6commandbutton", "button"}, SkinKind::CommandButton},
    {{"thundercombobox", "thunderrt6combobox", "combo", "combobox"}, SkinKind::ComboBox},
    {{"thunderdrivelistbox", "thunderrt6drivelistbox"}, SkinKind::DriveList},
    {{"thundercheckbox", "thunderrt6checkbox"}, SkinKind::CheckBox},
    {{"thunderoptionbutton", "thunderrt6optionbutton"}, SkinKind::OptionButton},
    {{"progressbar20wndclass", "progressbarwndclass"}, SkinKind::ProgressBar},
    {{"msvb_lib_header", "sysheader32"}, SkinKind::Header},
    {{"datalistwndclass", "dblistwndclass"}, SkinKind::DataList},
    {{"combolbox"}, SkinKind::DropList},
};

constexpr std::size_t kClassNameLimit = 254;

}  // namespace

SkinKind classifyWindowClass(const std::string& className) {
    std::string name = className.substr(0, className.find('\0'));
    if (name.size() > kClassNameLimit)
        name.resize(kClassNameLimit);
    for (char& c : name)
        c = ascii::lower(c);
    for (const KindRow& row : kKinds)
        for (const char* candidate : row.names)
            if (name == candidate)
                return row.kind;
    if (name.rfind("apexgrid", 0) == 0)
        return SkinKind::Grid;
    return SkinKind::Other;
}

}  // namespace sonorin::skin
