// The offline recorder window, shown instead of the main window when start-up finds no
// network connection.
#pragma once

#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

class FrmnoConnection : public ui::Form {
  public:
    explicit FrmnoConnection(Program& program);

    ui::Label Label1{*this, "Label1"};

    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;

  private:
    Program& program_;
};

}  // namespace sonorin
