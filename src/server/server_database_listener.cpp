#include "server/server_database_listener.h"

namespace vantor {

void ServerDatabaseListener::SetLink(std::shared_ptr<CServerLink> link) {
    std::lock_guard lock(m_lock);
    m_link = std::move(link);
}

void ServerDatabaseListener::DatabaseChanged() {
    std::shared_ptr<CServerLink> link;
    {
        std::lock_guard lock(m_lock);
        link = m_link;
    }
    if (link) link->ReloadDatabase();
}

}  // namespace vantor
