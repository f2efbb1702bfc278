#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "platform/message_kind.h"

namespace vantor {

// A message box a worker needs shown.
struct Question {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::OkCancel;
};

// A question a worker thread needs answered by the user. The worker asks
// and waits; the user interface side picks the question up, asks the user
// on its own thread and hands the answer back, so that no worker lock is
// held while the user thinks. Closing answers every question, present and
// future, with "no", so that a worker never waits on a window that is gone.
class QuestionChannel {
public:
    // Worker side: blocks until answered or closed; false when declined
    // (Cancel or No) or closed.
    bool Ask(Question question);

    // User interface side: the question waiting for an answer, if any.
    std::optional<Question> Pending() const;
    // Answers the waiting question; ignored when none waits.
    void Answer(bool yes);
    // Waits up to the timeout for a question to be asked; true when one waits.
    bool WaitForQuestion(int milliseconds) const;

    void Close();
    void Reopen();

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::optional<Question> m_question;
    std::optional<bool> m_answer;
    bool m_closed = false;
};

}  // namespace vantor
