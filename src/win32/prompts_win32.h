// Message boxes, the input box and the save-as dialog on Win32. Each is owned by the window
// the user is working in (the active window of the calling thread) and modal to it.
#pragma once

#include "services/prompts.h"

namespace sonorin {

// Window class of the input box, for whoever has to find it from outside. A form's class
// name, so that the skin engine dresses the box and its buttons as it does a dialog's.
inline constexpr const wchar_t* kInputBoxClass = L"ThunderFormDC";
// Control ids inside the input box: OK and Cancel are IDOK and IDCANCEL.
inline constexpr int kInputBoxPromptId = 100;
inline constexpr int kInputBoxEditId = 101;

class Win32Prompts : public Prompts {
  public:
    MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::optional<std::string> saveFileDialog(const SaveDialogRequest& request) override;
};

}  // namespace sonorin
