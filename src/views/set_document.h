#pragma once

#include <string>

#include "model/music_set.h"
#include "model/ref_ptr.h"
#include "platform/file_lock.h"
#include "platform/recent_file_list.h"
#include "platform/user_interface.h"

namespace vantor {

// A set together with the file it lives in: creating, opening, saving, Save
// As and closing, with their questions and file choices put to the user.
class CSetDocument {
public:
    explicit CSetDocument(IUserInterface& ui, RecentFileList* recentFiles = nullptr);

    // A new, unsaved set named "Untitled".
    void New(const NewSetOptions& options);
    // An unsaved set that came from elsewhere (the sound server's set).
    void Adopt(RefPtr<CMusicSet> set);
    // Reads the set file; a missing or unreadable file, or one in a format
    // the engine cannot render, is reported and nothing is opened.
    bool Open(const std::string& path);
    // Open for a change that other processes must not interleave with:
    // holds an exclusive lock on the set's directory (the file itself is
    // replaced on every save, so it cannot carry the lock) until the
    // document is closed or destroyed, and reads the set once it holds it.
    // While another process holds it, the wait is shown as progress.
    bool OpenForEditing(const std::string& path);
    // Writes to the set's path, or does Save As when it has none. A failed
    // write is reported and leaves the set modified.
    bool Save();
    // Asks for a path, then SaveAsPath.
    bool SaveAs();
    // Names the set after the file and writes it there.
    bool SaveAsPath(const std::string& path);
    // Asks whether to save a modified set; false when the user cancelled
    // (or the save failed) and the set stays open.
    bool Close();

    CMusicSet* GetSet() const { return m_set.get(); }
    const std::string& GetPath() const { return m_path; }
    // "Set Editor - <file name>", or "Set Editor - Untitled".
    std::string GetTitle() const;

    // Paths ending in ".plt" (any case) are playlists, not sets.
    static bool IsPlaylistPath(const std::string& path);

private:
    bool WriteTo(const std::string& path);

    IUserInterface& m_ui;
    RecentFileList* m_recentFiles;
    RefPtr<CMusicSet> m_set;
    std::string m_path;
    FileLock m_editLock;
};

}  // namespace vantor
