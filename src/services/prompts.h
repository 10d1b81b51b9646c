// Modal questions to the user: message boxes, the input box and the save-as dialog.
#pragma once

#include <optional>
#include <string>

namespace sonorin {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// Values are those of the Windows IDOK.. IDNO answers.
enum class MsgAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct SaveDialogRequest {
    std::string title;
    std::string initialFolder;
    std::string fileName;
    // Pairs of description and pattern joined by '|', e.g. "WAV file (*.wav*)|*.wav".
    std::string filter;
    bool overwritePrompt = true;

    // The extension the dialog gives a name typed without one of its own: that of the first
    // filter's pattern when it names a single one ("*.wav" gives "wav"), else none ("*.*").
    std::string defaultExtension() const {
        const std::size_t bar = filter.find('|');
        if (bar == std::string::npos)
            return {};
        std::string pattern = filter.substr(bar + 1);
        pattern = pattern.substr(0, pattern.find_first_of("|;"));
        if (pattern.rfind("*.", 0) != 0 || pattern.size() == 2 ||
            pattern.find_first_of("*?. ", 2) != std::string::npos)
            return {};
        return pattern.substr(2);
    }
};

class Prompts {
  public:
    virtual ~Prompts() = default;
    // An empty title shows an untitled box.
    virtual MsgAnswer messageBox(const std::string& text, const std::string& title,
                                 MsgButtons buttons, MsgIcon icon) = 0;
    // Returns the typed text; Cancel returns an empty text, as an empty answer does.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Returns the chosen full path, or nothing when the user cancelled.
    virtual std::optional<std::string> saveFileDialog(const SaveDialogRequest& request) = 0;
};

}  // namespace sonorin
