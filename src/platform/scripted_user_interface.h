#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace vantor {

// A user interface driven by queued answers, with a log of every message box
// shown. Used by tests to script the user's side of a dialogue.
class ScriptedUserInterface : public IUserInterface {
public:
    struct ShownMessage {
        std::string text;
        std::string caption;
        MessageButtons buttons;
        MessageIcon icon;
    };

    // Queued answers are taken in order. Unscripted questions get the answer
    // that changes nothing: Ok for a notice, No or Cancel for a question.
    void QueueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    void QueueOpenFiles(std::vector<std::string> paths) { m_openFiles.push_back(std::move(paths)); }
    void QueueSaveFile(std::optional<std::string> path) { m_saveFiles.push_back(std::move(path)); }
    void QueueText(std::optional<std::string> text) { m_texts.push_back(std::move(text)); }

    const std::vector<ShownMessage>& Messages() const { return m_messages; }
    const std::vector<FileChoice>& FileChoices() const { return m_fileChoices; }
    const std::vector<int>& ProgressSteps() const { return m_progress; }
    void ClearLog();

    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override;
    std::vector<std::string> ChooseOpenFiles(const FileChoice& choice) override;
    std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override;
    std::optional<std::string> PromptText(const std::string& prompt,
                                          const std::string& initial) override;
    void ShowProgress(const std::string& label, int percent) override;
    void EndProgress() override {}

private:
    std::deque<MessageAnswer> m_answers;
    std::deque<std::vector<std::string>> m_openFiles;
    std::deque<std::optional<std::string>> m_saveFiles;
    std::deque<std::optional<std::string>> m_texts;
    std::vector<ShownMessage> m_messages;
    std::vector<FileChoice> m_fileChoices;
    std::vector<int> m_progress;
};

}  // namespace vantor
