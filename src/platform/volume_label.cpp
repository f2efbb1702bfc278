#include "platform/volume_label.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vantor {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLabelDirectory = "/dev/disk/by-label";

// udev escapes characters of labels in the link names as "\x20" and so on.
std::string UnescapeLabel(const std::string& name) {
    std::string label;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const std::string hex = name.substr(i + 2, 2);
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                label.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        label.push_back(name[i]);
    }
    return label;
}

// The label whose block device is the file system's device, if any.
std::string LabelOfDevice(dev_t device) {
    std::error_code error;
    fs::directory_iterator it(kLabelDirectory, error);
    if (error) return {};
    for (const fs::directory_entry& entry : it) {
        struct stat state {};
        if (::stat(entry.path().c_str(), &state) == 0 && S_ISBLK(state.st_mode) && state.st_rdev == device)
            return UnescapeLabel(entry.path().filename().string());
    }
    return {};
}

}  // namespace

std::string MountPointOf(const std::string& path) {
    std::error_code error;
    fs::path current = fs::canonical(path, error);
    if (error) return {};
    struct stat state {};
    if (::stat(current.c_str(), &state) != 0) return {};
    const dev_t device = state.st_dev;
    // Climb while the parent lies on the same file system.
    while (current.has_parent_path() && current != current.root_path()) {
        const fs::path parent = current.parent_path();
        struct stat parentState {};
        if (::stat(parent.c_str(), &parentState) != 0 || parentState.st_dev != device) break;
        current = parent;
    }
    return current.string();
}

std::string VolumeLabelOf(const std::string& path) {
    struct stat state {};
    if (path.empty() || ::stat(path.c_str(), &state) != 0) return {};
    std::string label = LabelOfDevice(state.st_dev);
    if (!label.empty()) return label;
    const fs::path mount = MountPointOf(path);
    if (mount.empty()) return {};
    const std::string name = mount.filename().string();
    return name.empty() ? mount.string() : name;
}

}  // namespace vantor
