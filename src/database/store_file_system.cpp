#include "database/store_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/file_io.h"

namespace vantor {

namespace {

class PosixStoreFile : public IStoreFile {
public:
    explicit PosixStoreFile(int fd) : m_fd(fd) {}
    ~PosixStoreFile() override { ::close(m_fd); }

    int64_t Size() override {
        struct stat st {};
        return ::fstat(m_fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }

    size_t ReadAt(int64_t offset, void* data, size_t size) override {
        if (offset < 0) return 0;
        auto* bytes = static_cast<uint8_t*>(data);
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::pread(m_fd, bytes + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        return done;
    }

    bool WriteAt(int64_t offset, const void* data, size_t size) override {
        if (offset < 0) return false;
        auto* bytes = static_cast<const uint8_t*>(data);
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::pwrite(m_fd, bytes + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    bool Truncate(int64_t length) override { return length >= 0 && ::ftruncate(m_fd, length) == 0; }
    // Data and the size needed to read it back; other metadata (times) need
    // not reach the disk.
    bool Sync() override { return ::fdatasync(m_fd) == 0; }

private:
    int m_fd;
};

std::unique_ptr<IStoreFile> OpenRegularFile(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixStoreFile>(fd);
}

}  // namespace

PosixStoreFileSystem& PosixStoreFileSystem::Instance() {
    static PosixStoreFileSystem instance;
    return instance;
}

std::unique_ptr<IStoreFile> PosixStoreFileSystem::Open(const std::string& path) {
    return OpenRegularFile(path, O_RDWR | O_CREAT);
}

std::unique_ptr<IStoreFile> PosixStoreFileSystem::OpenForReading(const std::string& path) {
    return OpenRegularFile(path, O_RDONLY);
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
        struct stat st {};
        if (::stat((directory + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        names.push_back(name.substr(0, name.size() - suffix.size()));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vantor
