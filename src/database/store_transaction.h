#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/store_file_system.h"

namespace vantor {

// Applies a group of writes to a store's data and key files all or nothing.
// Before anything is overwritten, the bytes about to be replaced and both
// files' lengths go into an undo journal beside the store; the journal is
// removed once the new bytes are durable. A failure rolls the files back at
// once; a crash leaves the journal, and Recover rolls back when the store is
// next opened. Either way the files hold the old bytes or the new, never a
// mixture.
class StoreTransaction {
public:
    static constexpr int kFiles = 2;

    StoreTransaction(IStoreFileSystem& fs, std::string journalPath, std::array<IStoreFile*, kFiles> files);

    void Write(int file, int64_t offset, std::vector<uint8_t> bytes);
    void SetLength(int file, int64_t length);

    enum class Result {
        Committed,
        RolledBack,  // nothing changed
        Pending,     // the rollback failed too: the journal stays for Recover
    };
    Result Commit();

    // Rolls back an interrupted transaction whose journal is still there.
    // False when a journal exists and could not be applied.
    static bool Recover(IStoreFileSystem& fs, const std::string& journalPath, std::array<IStoreFile*, kFiles> files);
    // True when Recover would have something to undo (or cannot tell, the
    // journal being unreadable): until then the files may hold half a change.
    static bool IsPending(IStoreFileSystem& fs, const std::string& journalPath);

private:
    bool WriteJournal(const std::vector<uint8_t>& bytes);
    struct Region {
        int64_t offset;
        std::vector<uint8_t> bytes;
    };
    struct FileChanges {
        std::vector<Region> writes;
        int64_t length = -1;  // -1: as the writes leave it
    };
    struct Undo {
        std::array<int64_t, kFiles> lengths{};
        std::array<std::vector<Region>, kFiles> regions;
    };

    static std::vector<uint8_t> EncodeJournal(const Undo& undo);
    static bool DecodeJournal(const std::vector<uint8_t>& bytes, Undo& undo);
    static bool ApplyUndo(const Undo& undo, std::array<IStoreFile*, kFiles> files);

    IStoreFileSystem& m_fs;
    std::string m_journalPath;
    std::array<IStoreFile*, kFiles> m_files;
    std::array<FileChanges, kFiles> m_changes;
};

}  // namespace vantor
