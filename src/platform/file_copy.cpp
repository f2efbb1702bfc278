#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace vantor {

namespace {

constexpr size_t kBlockBytes = 1 << 20;

std::string DirectoryPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

CopyOutcome CopyFileAtomically(const std::string& source, const std::string& destination, bool replace,
                               const std::atomic<bool>* cancel, const CopyProgress& progress) {
    if (source.empty() || destination.empty()) return CopyOutcome::Failed;
    struct stat destinationState {};
    if (!replace && ::stat(destination.c_str(), &destinationState) == 0) return CopyOutcome::DestinationExists;
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat sourceState {};
    if (in.Get() < 0 || ::fstat(in.Get(), &sourceState) != 0 || !S_ISREG(sourceState.st_mode))
        return CopyOutcome::Failed;
    // A hidden name in the destination's directory: the rename stays on one
    // file system and a listing of songs never shows the partial file.
    std::string pattern = DirectoryPart(destination) + "/." + NamePart(destination) + ".XXXXXX";
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.Get() < 0) return CopyOutcome::Failed;

    const uint64_t total = static_cast<uint64_t>(sourceState.st_size);
    std::vector<uint8_t> block(kBlockBytes);
    uint64_t copied = 0;
    CopyOutcome outcome = CopyOutcome::Copied;
    for (;;) {
        if (cancel && cancel->load()) {
            outcome = CopyOutcome::Cancelled;
            break;
        }
        const ssize_t got = ::read(in.Get(), block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            outcome = CopyOutcome::Failed;
            break;
        }
        if (got == 0) break;
        if (!WriteAll(out.Get(), block.data(), static_cast<size_t>(got))) {
            outcome = CopyOutcome::Failed;
            break;
        }
        copied += static_cast<uint64_t>(got);
        if (progress) progress(copied, total);
    }
    // mkostemp makes the file private; a copied song is as readable as any.
    if (outcome == CopyOutcome::Copied && ::fchmod(out.Get(), 0644) != 0) outcome = CopyOutcome::Failed;
    if (outcome == CopyOutcome::Copied && ::fsync(out.Get()) != 0) outcome = CopyOutcome::Failed;
    if (!out.Close() && outcome == CopyOutcome::Copied) outcome = CopyOutcome::Failed;
    if (outcome == CopyOutcome::Copied && !replace) {
        // link() fails when the destination appeared meanwhile: never replaced.
        if (::link(temporary.data(), destination.c_str()) != 0)
            outcome = errno == EEXIST ? CopyOutcome::DestinationExists : CopyOutcome::Failed;
        ::unlink(temporary.data());
        return outcome;
    }
    if (outcome == CopyOutcome::Copied && ::rename(temporary.data(), destination.c_str()) != 0)
        outcome = CopyOutcome::Failed;
    if (outcome != CopyOutcome::Copied) ::unlink(temporary.data());
    return outcome;
}

}  // namespace vantor
