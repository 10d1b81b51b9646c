// The about box: the program's name, version and description, two contact lines that open
// the maker's site and a new mail, and a button that starts the system-information program.
#pragma once

#include <string>

#include "services/registry.h"
#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

inline constexpr const char* kSysInfoUnavailable = "此时系统信息不可用";

class frmAbout : public ui::Form {
  public:
    explicit frmAbout(Program& program);

    ui::Image picIcon{*this, "picIcon"};
    ui::Image Image1{*this, "Image1"};
    ui::Label lblTitle{*this, "lblTitle"};
    ui::Label lblVersion{*this, "lblVersion"};
    ui::Label lblDescription{*this, "lblDescription"};
    ui::Label lblDisclaimer{*this, "lblDisclaimer"};
    ui::Label Label2{*this, "Label2"};
    ui::Label Label1{*this, "Label1"};
    ui::Label Label4{*this, "Label4"};
    ui::Label Label5{*this, "Label5"};
    ui::Button cmdOK{*this, "cmdOK"};
    ui::Button cmdSysInfo{*this, "cmdSysInfo"};

    void Form_Load() override;
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Label1_Click();
    void Label5_Click();

    void StartSysInfo();
    // Reads a registry value as text (REG_SZ as it is, REG_DWORD as a decimal number, other
    // kinds as an empty text). False, with an empty text, when it cannot be read.
    bool GetKeyValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                     std::string& value);

  private:
    Program& program_;
};

}  // namespace sonorin
