#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/message_kind.h"
#include "platform/result.h"

namespace vantor {

// What a file dialog would be opened with. The filter uses the
// "description|pattern|description|pattern||" form of the program's dialogs.
struct FileChoice {
    std::string title;
    std::string defaultExtension;
    std::string filter;
    std::string initialPath;
    bool multiple = false;
};

// Everything the headless controllers say to or ask of the user goes through
// this interface: scripted in tests, the console on the command line, a
// graphical front end later.
class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    virtual MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                                     MessageButtons buttons, MessageIcon icon) = 0;
    // Chosen paths; empty when the user cancelled.
    virtual std::vector<std::string> ChooseOpenFiles(const FileChoice& choice) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const FileChoice& choice) = 0;
    virtual std::optional<std::string> PromptText(const std::string& prompt,
                                                  const std::string& initial) = 0;
    // Long work reports its progress; percent runs from 0 to 100.
    virtual void ShowProgress(const std::string& label, int percent) = 0;
    virtual void EndProgress() = 0;

    // Tells the user why a library refused: its text, caption and icon in an
    // OK box. A refusal without a text is a silent one: nothing is shown.
    void ShowRefusal(const Refusal& refusal) {
        if (refusal.text.empty()) return;
        MessageBox(refusal.text, refusal.caption, MessageButtons::Ok, refusal.icon);
    }
};

}  // namespace vantor
