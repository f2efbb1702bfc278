#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/store_file.h"

namespace vantor {

// The file operations the music database makes. Everything the stores do to
// the disk goes through here, so that tests can fail or cut any single step.
class IStoreFileSystem {
public:
    virtual ~IStoreFileSystem() = default;
    // Opens the file for reading and writing, creating it when missing.
    virtual std::unique_ptr<IStoreFile> Open(const std::string& path) = 0;
    // Opens an existing file for reading only; null when it is missing or
    // cannot be read. Its writes fail.
    virtual std::unique_ptr<IStoreFile> OpenForReading(const std::string& path) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path) = 0;
    // Replaces the file as a whole: readers see the old or the new bytes,
    // never a mixture, whatever happens during the write.
    virtual bool WriteReplacing(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
    // True when the file is gone afterwards (also when it never existed).
    virtual bool Remove(const std::string& path) = 0;
    // Atomically replaces to with from.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // Names (without the suffix) of the regular files of the directory whose
    // names end in suffix, sorted.
    virtual std::vector<std::string> List(const std::string& directory, const std::string& suffix) = 0;
};

// The real file system.
class PosixStoreFileSystem : public IStoreFileSystem {
public:
    static PosixStoreFileSystem& Instance();

    std::unique_ptr<IStoreFile> Open(const std::string& path) override;
    std::unique_ptr<IStoreFile> OpenForReading(const std::string& path) override;
    std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path) override;
    bool WriteReplacing(const std::string& path, const std::vector<uint8_t>& bytes) override;
    bool Remove(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Exists(const std::string& path) override;
    std::vector<std::string> List(const std::string& directory, const std::string& suffix) override;
};

}  // namespace vantor
