#include "views/set_document.h"

#include <algorithm>
#include <cctype>

#include "engine/set_format.h"
#include "model/set_file.h"
#include "platform/file_io.h"

namespace vantor {

namespace {
const char* const kSaveAsFilter = "set files (*.set)|*.set|all files (*.*)|*.*||";
const char* const kCloseSaveFilter = "set files (*.set)|*.set||";
}  // namespace

CSetDocument::CSetDocument(IUserInterface& ui, RecentFileList* recentFiles)
    : m_ui(ui), m_recentFiles(recentFiles) {}

void CSetDocument::New(const NewSetOptions& options) {
    m_set = CMusicSet::CreateNew(options);
    m_path.clear();
}

void CSetDocument::Adopt(RefPtr<CMusicSet> set) {
    m_set = std::move(set);
    m_path.clear();
}

bool CSetDocument::Open(const std::string& path) {
    if (!FileExists(path)) {
        m_ui.MessageBox("Unable to find specified file.", "Open Set", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    RefPtr<CMusicSet> set = ReadSetFile(path);
    if (!set) {
        m_ui.MessageBox("Unable to read set file " + path + ".", "Open Set", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    // A set in another format cannot be rendered; refusing it here keeps
    // every later step from dividing by or allocating from its header.
    if (Status format = CheckRenderFormat(*set); !format) {
        m_ui.ShowRefusal(format.Error());
        return false;
    }
    m_set = set;
    m_path = path;
    return true;
}

bool CSetDocument::OpenForEditing(const std::string& path) {
    const std::string directory = DirectoryOf(path);
    if (!m_editLock.Open(directory, false)) {
        m_ui.MessageBox("Unable to find specified file.", "Open Set", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    FileLock::Outcome locked = m_editLock.Lock(FileLock::Mode::Exclusive, FileLock::Wait::Try);
    if (locked == FileLock::Outcome::Busy) {
        m_ui.ShowProgress("Waiting for another vantor process to finish changing the sets in " + directory, 0);
        locked = m_editLock.Lock(FileLock::Mode::Exclusive, FileLock::Wait::Block);
        m_ui.EndProgress();
    }
    if (locked != FileLock::Outcome::Locked || !Open(path)) {
        m_editLock.Close();
        return false;
    }
    return true;
}

bool CSetDocument::WriteTo(const std::string& path) {
    if (!WriteSetFile(*m_set, path)) {
        m_ui.MessageBox("Unable to save set file " + path + ".", "Save Set", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    m_path = path;
    if (m_recentFiles) m_recentFiles->Add(path);
    m_set->SetModified(false);
    return true;
}

bool CSetDocument::Save() {
    if (!m_set) return false;
    if (m_path.empty()) return SaveAs();
    return WriteTo(m_path);
}

bool CSetDocument::SaveAs() {
    if (!m_set) return false;
    FileChoice choice;
    choice.defaultExtension = ".set";
    choice.filter = kSaveAsFilter;
    choice.initialPath = m_path;
    auto path = m_ui.ChooseSaveFile(choice);
    if (!path) return false;
    return SaveAsPath(*path);
}

bool CSetDocument::SaveAsPath(const std::string& path) {
    if (!m_set) return false;
    // The set carries the name of its file; keep the old name if the write fails.
    std::string oldName = m_set->GetName();
    m_set->SetName(FileNameOf(path));
    if (!WriteTo(path)) {
        m_set->SetName(oldName);
        return false;
    }
    return true;
}

bool CSetDocument::Close() {
    if (!m_set) return true;
    if (m_set->IsModified()) {
        MessageAnswer answer = m_ui.MessageBox("Do you wish to save?", "Close Music Set",
                                               MessageButtons::YesNoCancel, MessageIcon::Question);
        if (answer == MessageAnswer::Cancel) return false;
        if (answer == MessageAnswer::Yes) {
            std::string path = m_path;
            if (path.empty()) {
                FileChoice choice;
                choice.defaultExtension = ".set";
                choice.filter = kCloseSaveFilter;
                auto chosen = m_ui.ChooseSaveFile(choice);
                if (!chosen) return false;
                path = *chosen;
            }
            if (!WriteTo(path)) return false;
        }
    }
    if (m_recentFiles && !m_path.empty()) m_recentFiles->Add(m_path);
    m_set.reset();
    m_path.clear();
    m_editLock.Close();
    return true;
}

std::string CSetDocument::GetTitle() const {
    return "Set Editor - " + (m_path.empty() ? std::string("Untitled") : FileNameOf(m_path));
}

bool CSetDocument::IsPlaylistPath(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".plt";
}

}  // namespace vantor
