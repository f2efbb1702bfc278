#pragma once

#include <memory>

#include "server/server_link.h"

namespace vantor {

// The one link to the sound server a workstation holds at a time: the set
// editor that plays on the server puts it here, sample commands and the
// mixer board find it here. Lives on the user interface thread.
class LinkInUse {
public:
    std::shared_ptr<CServerLink> Get() const { return m_link; }
    bool IsInUse() const { return m_link != nullptr; }
    void Set(std::shared_ptr<CServerLink> link) { m_link = std::move(link); }
    // Clears the slot only when it still holds this link.
    void Release(const CServerLink* link) {
        if (m_link.get() == link) m_link.reset();
    }

private:
    std::shared_ptr<CServerLink> m_link;
};

}  // namespace vantor
