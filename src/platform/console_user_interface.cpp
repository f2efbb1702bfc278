#include "platform/console_user_interface.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "platform/file_io.h"

namespace vantor {

namespace {

const char* ButtonPrompt(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo: return " [y/n] ";
        case MessageButtons::YesNoCancel: return " [y/n/c] ";
        case MessageButtons::OkCancel: return " [o/c] ";
        case MessageButtons::Ok: break;
    }
    return "";
}

MessageAnswer SafeAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok: return MessageAnswer::Ok;
        case MessageButtons::YesNo: return MessageAnswer::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel: break;
    }
    return MessageAnswer::Cancel;
}

}  // namespace

ConsoleUserInterface::ConsoleUserInterface(AnswerPolicy policy, std::FILE* out, std::FILE* in)
    : m_policy(policy), m_out(out), m_in(in), m_outIsTerminal(isatty(fileno(out)) != 0) {}

bool ConsoleUserInterface::Interactive() const {
    return m_in != nullptr && isatty(fileno(m_in)) != 0;
}

std::optional<std::string> ConsoleUserInterface::ReadLine() {
    if (m_in == nullptr) return std::nullopt;
    std::string line;
    int c;
    while ((c = std::fgetc(m_in)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    if (c == EOF && line.empty()) return std::nullopt;
    return line;
}

MessageAnswer ConsoleUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                               MessageButtons buttons, MessageIcon icon) {
    EndProgress();
    // "Caption: text", the way the message box would read; the icon only
    // decides whether it is marked as an error.
    std::fprintf(m_out, "%s%s: %s", icon == MessageIcon::Error ? "error: " : "", caption.c_str(), text.c_str());
    if (buttons == MessageButtons::Ok) {
        std::fprintf(m_out, "\n");
        return MessageAnswer::Ok;
    }
    if (m_policy == AnswerPolicy::AlwaysYes) {
        std::fprintf(m_out, " -> yes\n");
        return buttons == MessageButtons::OkCancel ? MessageAnswer::Ok : MessageAnswer::Yes;
    }
    if (m_policy == AnswerPolicy::AlwaysNo || !Interactive()) {
        MessageAnswer answer = m_policy == AnswerPolicy::AlwaysNo && buttons != MessageButtons::OkCancel
                                   ? MessageAnswer::No
                                   : SafeAnswer(buttons);
        std::fprintf(m_out, " -> %s\n", answer == MessageAnswer::No ? "no" : "cancel");
        return answer;
    }
    for (;;) {
        std::fprintf(m_out, "%s", ButtonPrompt(buttons));
        std::fflush(m_out);
        auto line = ReadLine();
        if (!line) return SafeAnswer(buttons);
        char c = line->empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>((*line)[0])));
        if (buttons == MessageButtons::OkCancel) {
            if (c == 'o') return MessageAnswer::Ok;
            if (c == 'c') return MessageAnswer::Cancel;
        } else {
            if (c == 'y') return MessageAnswer::Yes;
            if (c == 'n') return MessageAnswer::No;
            if (c == 'c' && buttons == MessageButtons::YesNoCancel) return MessageAnswer::Cancel;
        }
    }
}

std::vector<std::string> ConsoleUserInterface::ChooseOpenFiles(const FileChoice& choice) {
    if (!Interactive()) return {};
    std::fprintf(m_out, "%s: ", choice.title.empty() ? "Open file" : choice.title.c_str());
    std::fflush(m_out);
    auto line = ReadLine();
    if (!line || line->empty()) return {};
    return {*line};
}

std::optional<std::string> ConsoleUserInterface::ChooseSaveFile(const FileChoice& choice) {
    if (!Interactive()) return std::nullopt;
    std::fprintf(m_out, "%s: ", choice.title.empty() ? "Save as" : choice.title.c_str());
    std::fflush(m_out);
    auto line = ReadLine();
    if (!line || line->empty()) return std::nullopt;
    std::string path = *line;
    // A name typed without an extension takes the dialog's default one.
    const std::string& ext = choice.defaultExtension;
    if (!ext.empty() && ExtensionStart(path) == path.size()) path += ext;
    return path;
}

std::optional<std::string> ConsoleUserInterface::PromptText(const std::string& prompt,
                                                            const std::string& initial) {
    if (!Interactive()) return initial;
    std::fprintf(m_out, "%s [%s]: ", prompt.c_str(), initial.c_str());
    std::fflush(m_out);
    auto line = ReadLine();
    if (!line) return std::nullopt;
    return line->empty() ? initial : *line;
}

void ConsoleUserInterface::ShowProgress(const std::string& label, int percent) {
    if (!m_outIsTerminal) return;
    percent = std::clamp(percent, 0, 100);
    if (m_progressShown && percent == m_lastPercent) return;
    constexpr int kWidth = 40;
    int filled = percent * kWidth / 100;
    std::fprintf(m_out, "\r%s [%s%s] %3d%%", label.c_str(), std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, ' ').c_str(), percent);
    std::fflush(m_out);
    m_progressShown = true;
    m_lastPercent = percent;
}

void ConsoleUserInterface::EndProgress() {
    if (!m_progressShown) return;
    std::fprintf(m_out, "\n");
    m_progressShown = false;
    m_lastPercent = -1;
}

}  // namespace vantor
