#include "library/question_channel.h"

#include <chrono>

namespace vantor {

bool QuestionChannel::Ask(Question question) {
    std::unique_lock lock(m_lock);
    if (m_closed) return false;
    m_question = std::move(question);
    m_answer.reset();
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_closed || m_answer.has_value(); });
    const bool yes = !m_closed && m_answer.value_or(false);
    m_question.reset();
    m_answer.reset();
    m_changed.notify_all();
    return yes;
}

std::optional<Question> QuestionChannel::Pending() const {
    std::lock_guard lock(m_lock);
    if (m_answer) return std::nullopt;  // answered, the worker has yet to wake
    return m_question;
}

void QuestionChannel::Answer(bool yes) {
    std::lock_guard lock(m_lock);
    if (!m_question || m_answer) return;
    m_answer = yes;
    m_changed.notify_all();
}

bool QuestionChannel::WaitForQuestion(int milliseconds) const {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return m_closed || (m_question && !m_answer); }) &&
           !m_closed;
}

void QuestionChannel::Close() {
    std::lock_guard lock(m_lock);
    m_closed = true;
    m_changed.notify_all();
}

void QuestionChannel::Reopen() {
    std::lock_guard lock(m_lock);
    m_closed = false;
}

}  // namespace vantor
