// Message boxes, input boxes and save dialogs that record what was asked and answer from
// scripted queues. Unscripted message boxes answer Ok (Ok buttons) or Yes (Yes/No buttons),
// unscripted input boxes answer their default text, unscripted save dialogs are cancelled.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/prompts.h"

namespace sonorin {

class FakePrompts : public Prompts {
  public:
    struct Box {
        std::string text;
        std::string title;
        MsgButtons buttons;
        MsgIcon icon;
    };
    struct Input {
        std::string prompt;
        std::string title;
        std::string defaultText;
    };

    MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override {
        boxes.push_back({text, title, buttons, icon});
        if (onMessageBox)
            onMessageBox(boxes.back());
        if (!answers.empty()) {
            MsgAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                            : MsgAnswer::Yes;
    }

    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        inputs.push_back({prompt, title, defaultText});
        if (!inputAnswers.empty()) {
            std::string answer = inputAnswers.front();
            inputAnswers.pop_front();
            return answer;
        }
        return defaultText;
    }

    std::optional<std::string> saveFileDialog(const SaveDialogRequest& request) override {
        saveRequests.push_back(request);
        if (!saveAnswers.empty()) {
            std::optional<std::string> answer = saveAnswers.front();
            saveAnswers.pop_front();
            return answer;
        }
        return std::nullopt;
    }

    // Just the texts of the message boxes shown so far, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const Box& box : boxes)
            result.push_back(box.text);
        return result;
    }

    std::vector<Box> boxes;
    std::vector<Input> inputs;
    std::vector<SaveDialogRequest> saveRequests;
    std::deque<MsgAnswer> answers;
    std::deque<std::string> inputAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    // Runs while the box is "open", e.g. to tick timers as the real modal loop would.
    std::function<void(const Box&)> onMessageBox;
};

}  // namespace sonorin
