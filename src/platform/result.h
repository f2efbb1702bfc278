#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "platform/message_kind.h"

namespace vantor {

// Why a library refused or failed: the text the user is shown and, where the
// program has a box for it, the caption and icon. Libraries return it; views
// decide whether and how the user sees it. An empty text marks a failure the
// program passes over silently (a query the system could not answer).
struct Refusal {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Error;
};

// A value, or the refusal that took its place.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}  // NOLINT: implicit by design
    Result(Refusal refusal) : m_state(std::move(refusal)) {}  // NOLINT

    bool Ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return Ok(); }
    T& Value() { return std::get<0>(m_state); }
    const T& Value() const { return std::get<0>(m_state); }
    T* operator->() { return &Value(); }
    const Refusal& Error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Refusal> m_state;
};

// Success, or the refusal that stopped the operation.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Refusal refusal) : m_refusal(std::move(refusal)) {}  // NOLINT: implicit by design

    static Status Success() { return {}; }
    bool Ok() const { return !m_refusal; }
    explicit operator bool() const { return Ok(); }
    const Refusal& Error() const { return *m_refusal; }

private:
    std::optional<Refusal> m_refusal;
};

}  // namespace vantor
