#include "platform/runtime_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantor {

namespace {

Refusal Refused(const std::string& text) { return Refusal{text, "", MessageIcon::Error}; }

}  // namespace

Result<std::string> RuntimeDirectory::Get() {
    const uid_t uid = ::getuid();
    std::string dir;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg == '/')
        dir = std::string(xdg) + "/vantor";
    else
        dir = "/tmp/vantor-" + std::to_string(uid);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return Refused("Cannot create " + dir + ": " + std::strerror(errno));
    struct stat info{};
    if (::lstat(dir.c_str(), &info) != 0) return Refused("Cannot read " + dir + ": " + std::strerror(errno));
    if (!S_ISDIR(info.st_mode) || info.st_uid != uid)
        return Refused(dir + " does not belong to this user; the sound server will not use it");
    if ((info.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        return Refused("Cannot restrict " + dir + " to this user: " + std::strerror(errno));
    return dir;
}

Result<std::string> RuntimeDirectory::PathOf(const std::string& name) {
    auto dir = Get();
    if (!dir) return dir.Error();
    return dir.Value() + "/" + name;
}

}  // namespace vantor
