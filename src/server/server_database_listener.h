#pragma once

#include <memory>
#include <mutex>

#include "database/database_listener.h"
#include "server/server_link.h"

namespace vantor {

// Tells the sound server to read the music database again after this
// process stored or removed a song, so that songs the playing set looks up
// are the stored ones. Called on whichever thread changed the database; the
// link's lock keeps the message apart from the user interface's.
class ServerDatabaseListener : public IDatabaseListener {
public:
    // Null stops the forwarding.
    void SetLink(std::shared_ptr<CServerLink> link);
    void DatabaseChanged() override;

private:
    std::mutex m_lock;
    std::shared_ptr<CServerLink> m_link;
};

}  // namespace vantor
