#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace vantor::test {

// Runs the built vantor program with a shell command line; captures its
// standard output and exit code. Standard error goes to the test's log.
struct CliResult {
    int exitCode = -1;
    std::string out;
};

// Put before the program, runs it as a user who may not write a directory of
// mode 0555 that this process made: nobody (through setpriv) when the tests
// run as the superuser, who writes anywhere; otherwise nothing. None when the
// superuser has no setpriv.
inline std::optional<std::string> UnprivilegedPrefix() {
    if (::geteuid() != 0) return std::string();
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) return std::nullopt;
    return std::string("setpriv --reuid=65534 --regid=65534 --clear-groups ");
}

inline CliResult RunVantor(const std::string& arguments, const std::string& prefix = "") {
    const char* bin = std::getenv("VANTOR_BIN");
    CliResult result;
    if (!bin) return result;
    std::string command = prefix + std::string(bin) + " " + arguments + " </dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace vantor::test
