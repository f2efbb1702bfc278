#pragma once

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QString>
#include <QWidget>

#include "platform/user_interface.h"

namespace vantor::gui {

// The boxes, file dialogs and prompts of the views, shown with Qt. Every box
// is also kept in a log (text and caption), which the tests read.
class QtUserInterface : public IUserInterface {
public:
    struct Shown {
        std::string text;
        std::string caption;
    };

    void SetParent(QWidget* parent) { m_parent = parent; }
    // Progress of long work shows in the status bar.
    void SetStatusBar(QStatusBar* bar);

    MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageButtons buttons,
                             MessageIcon icon) override;
    std::vector<std::string> ChooseOpenFiles(const FileChoice& choice) override;
    std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override;
    std::optional<std::string> PromptText(const std::string& prompt, const std::string& initial) override;
    void ShowProgress(const std::string& label, int percent) override;
    void EndProgress() override;

    const std::vector<Shown>& ShownBoxes() const { return m_shown; }

    // "description|pattern|...||" as Qt's "description (pattern);;..." filter.
    static QString QtFilter(const std::string& filter);

private:
    QPointer<QWidget> m_parent;
    QPointer<QStatusBar> m_statusBar;
    QPointer<QLabel> m_progressLabel;
    QPointer<QProgressBar> m_progress;
    std::vector<Shown> m_shown;
};

}  // namespace vantor::gui
