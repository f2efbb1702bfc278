#include "platform/store_file_system.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/file_io.h"
#include "platform/random_access_file.h"

namespace vantor {

namespace {

// A record store's file on a random-access file of the system.
class PosixStoreFile : public IStoreFile {
public:
    explicit PosixStoreFile(RandomAccessFile file) : m_file(std::move(file)) {}

    int64_t Size() override { return m_file.Size(); }
    size_t ReadAt(int64_t offset, void* data, size_t size) override { return m_file.ReadAt(offset, data, size); }
    bool WriteAt(int64_t offset, const void* data, size_t size) override { return m_file.WriteAt(offset, data, size); }
    bool Truncate(int64_t length) override { return m_file.Truncate(length); }
    bool Sync() override { return m_file.Sync(); }

private:
    RandomAccessFile m_file;
};

std::unique_ptr<IStoreFile> OpenRegularFile(const std::string& path, RandomAccessFile::Access access) {
    RandomAccessFile file;
    if (!file.Open(path, access) || !file.IsRegular()) return nullptr;
    return std::make_unique<PosixStoreFile>(std::move(file));
}

}  // namespace

PosixStoreFileSystem& PosixStoreFileSystem::Instance() {
    static PosixStoreFileSystem instance;
    return instance;
}

std::unique_ptr<IStoreFile> PosixStoreFileSystem::Open(const std::string& path) {
    return OpenRegularFile(path, RandomAccessFile::Access::ReadWriteCreate);
}

std::unique_ptr<IStoreFile> PosixStoreFileSystem::OpenForReading(const std::string& path) {
    return OpenRegularFile(path, RandomAccessFile::Access::Read);
}

std::optional<std::vector<uint8_t>> PosixStoreFileSystem::ReadWhole(const std::string& path) {
    return ReadWholeFile(path);
}

bool PosixStoreFileSystem::WriteReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteFileReplacing(path, bytes.data(), bytes.size());
}

bool PosixStoreFileSystem::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool PosixStoreFileSystem::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool PosixStoreFileSystem::Exists(const std::string& path) { return FileExists(path); }

std::vector<std::string> PosixStoreFileSystem::List(const std::string& directory, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        if (!IsRegularFile(directory + name)) continue;
        names.push_back(name.substr(0, name.size() - suffix.size()));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vantor
