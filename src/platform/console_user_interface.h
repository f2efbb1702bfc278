#pragma once

#include <cstdio>
#include <string>

#include "platform/user_interface.h"

namespace vantor {

// The command line's user interface: messages go to standard error, questions
// are answered by the --yes / --no flags, or at a prompt when standard input
// is a terminal, and progress is a bar drawn only on a terminal.
class ConsoleUserInterface : public IUserInterface {
public:
    enum class AnswerPolicy { Ask, AlwaysYes, AlwaysNo };

    explicit ConsoleUserInterface(AnswerPolicy policy = AnswerPolicy::Ask,
                                  std::FILE* out = stderr, std::FILE* in = stdin);

    void SetAnswerPolicy(AnswerPolicy policy) { m_policy = policy; }

    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override;
    std::vector<std::string> ChooseOpenFiles(const FileChoice& choice) override;
    std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override;
    std::optional<std::string> PromptText(const std::string& prompt,
                                          const std::string& initial) override;
    void ShowProgress(const std::string& label, int percent) override;
    void EndProgress() override;

private:
    std::optional<std::string> ReadLine();
    bool Interactive() const;

    AnswerPolicy m_policy;
    std::FILE* m_out;
    std::FILE* m_in;
    bool m_outIsTerminal;
    bool m_progressShown = false;
    int m_lastPercent = -1;
};

}  // namespace vantor
