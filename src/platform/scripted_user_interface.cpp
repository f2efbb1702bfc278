#include "platform/scripted_user_interface.h"

namespace vantor {

void ScriptedUserInterface::ClearLog() {
    m_messages.clear();
    m_fileChoices.clear();
    m_progress.clear();
}

MessageAnswer ScriptedUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                                MessageButtons buttons, MessageIcon icon) {
    m_messages.push_back({text, caption, buttons, icon});
    if (!m_answers.empty()) {
        MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    // Unscripted questions take the safe answer: keep things as they are.
    switch (buttons) {
        case MessageButtons::Ok: return MessageAnswer::Ok;
        case MessageButtons::OkCancel: return MessageAnswer::Cancel;
        case MessageButtons::YesNo: return MessageAnswer::No;
        case MessageButtons::YesNoCancel: return MessageAnswer::Cancel;
    }
    return MessageAnswer::Cancel;
}

std::vector<std::string> ScriptedUserInterface::ChooseOpenFiles(const FileChoice& choice) {
    m_fileChoices.push_back(choice);
    if (m_openFiles.empty()) return {};
    auto paths = std::move(m_openFiles.front());
    m_openFiles.pop_front();
    return paths;
}

std::optional<std::string> ScriptedUserInterface::ChooseSaveFile(const FileChoice& choice) {
    m_fileChoices.push_back(choice);
    if (m_saveFiles.empty()) return std::nullopt;
    auto path = std::move(m_saveFiles.front());
    m_saveFiles.pop_front();
    return path;
}

std::optional<std::string> ScriptedUserInterface::PromptText(const std::string&, const std::string&) {
    if (m_texts.empty()) return std::nullopt;
    auto text = std::move(m_texts.front());
    m_texts.pop_front();
    return text;
}

void ScriptedUserInterface::ShowProgress(const std::string&, int percent) {
    m_progress.push_back(percent);
}

}  // namespace vantor
