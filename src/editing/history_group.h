#pragma once

#include "model/set_history.h"

namespace vantor {

// Keeps a group open on a history for a scope: everything recorded inside is
// taken back by one Undo. Groups nest; only the outermost adds the group end.
class HistoryGroup {
public:
    explicit HistoryGroup(CSetHistory& history) : m_history(history) { m_history.Group(true); }
    ~HistoryGroup() { m_history.Group(false); }
    HistoryGroup(const HistoryGroup&) = delete;
    HistoryGroup& operator=(const HistoryGroup&) = delete;

private:
    CSetHistory& m_history;
};

}  // namespace vantor
