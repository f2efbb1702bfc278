#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantor {

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// mkstemp on a name beside path; the descriptor, or -1. The name made is
// left in name.
int OpenTemporaryBeside(const std::string& path, std::string& name) {
    std::string tmpl = DirectoryOf(path) + "/." + FileNameOf(path) + ".XXXXXX";
    std::vector<char> buffer(tmpl.begin(), tmpl.end());
    buffer.push_back('\0');
    int fd = ::mkstemp(buffer.data());
    name = fd >= 0 ? buffer.data() : std::string();
    return fd;
}

std::optional<uint64_t> RegularSizeOf(int statResult, const struct stat& st) {
    if (statResult != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    auto size = RegularSizeOf(::fstat(fd, &st), st);
    if (!size || *size > kMaxWholeFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(*size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);  // a file that shrank while being read gives what was there
    return bytes;
}

bool WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size) {
    std::string name;
    int fd = OpenTemporaryBeside(path, name);
    if (fd < 0) return false;
    // Keep the permissions an existing file had; new files get the usual 0644
    // less the umask rather than mkstemp's 0600.
    struct stat st {};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = WriteAll(fd, data, size) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(name.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(name.c_str());
    return ok;
}

std::string CreateTemporaryFileBeside(const std::string& path) {
    std::string name;
    int fd = OpenTemporaryBeside(path, name);
    if (fd < 0) return {};
    ::fchmod(fd, 0644);  // mkstemp makes it private
    ::close(fd);
    return name;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& path) { return RegularFileSize(path).has_value(); }

std::optional<uint64_t> RegularFileSize(const std::string& path) {
    struct stat st {};
    return RegularSizeOf(::stat(path.c_str(), &st), st);
}

std::optional<uint64_t> RegularFileSize(std::FILE* file) {
    struct stat st {};
    if (!file) return std::nullopt;
    return RegularSizeOf(::fstat(::fileno(file), &st), st);
}

std::optional<uint64_t> FreeDiskBytes(const std::string& directory) {
    struct statvfs info {};
    if (::statvfs(directory.c_str(), &info) != 0) return std::nullopt;
    return static_cast<uint64_t>(info.f_bfree) * info.f_frsize;
}

std::optional<std::string> CurrentDirectory() {
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) return std::nullopt;
    return std::string(buffer.data());
}

std::string DirectoryWriteError(const std::string& directory) {
    if (::access(directory.empty() ? "." : directory.c_str(), W_OK | X_OK) == 0) return {};
    return std::strerror(errno);
}

std::string FileWriteError(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
        return ::access(path.c_str(), W_OK) == 0 ? std::string() : std::strerror(errno);
    }
    return DirectoryWriteError(DirectoryOf(path));
}

void RemoveRegularFile(const std::string& path) {
    if (IsRegularFile(path)) ::unlink(path.c_str());
}

std::string FileNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

size_t ExtensionStart(const std::string& path) {
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
}

std::string DirectoryOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace vantor
