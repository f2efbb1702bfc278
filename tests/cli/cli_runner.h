#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantor::test {

// Runs the built vantor program with a shell command line; captures its
// standard output and exit code. Standard error goes to the test's log.
struct CliResult {
    int exitCode = -1;
    std::string out;
};

inline CliResult RunVantor(const std::string& arguments) {
    const char* bin = std::getenv("VANTOR_BIN");
    CliResult result;
    if (!bin) return result;
    std::string command = std::string(bin) + " " + arguments + " </dev/null";
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
