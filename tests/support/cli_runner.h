#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace vantor::test {

// What a run of the vantor program left: its exit code (-1 when it could not
// be run or did not exit), standard output and standard error.
struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A word the shell passes on unchanged, whatever it holds.
inline std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Put before the program, runs it as a user who may not write a directory of
// mode 0555 that this process made: nobody (through setpriv) when the tests
// run as the superuser, who writes anywhere; otherwise nothing. None when the
// superuser has no setpriv.
inline std::optional<std::string> UnprivilegedPrefix() {
    if (::geteuid() != 0) return std::string();
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) return std::nullopt;
    return std::string("setpriv --reuid=65534 --regid=65534 --clear-groups ");
}

// Runs the built program (VANTOR_BIN, which CTest sets) with a shell command
// line of arguments and no input; prefix goes before the program.
inline CliResult RunVantor(const std::string& arguments, const std::string& prefix = "") {
    CliResult result;
    const char* bin = std::getenv("VANTOR_BIN");
    if (!bin) {
        result.err = "VANTOR_BIN is not set";
        return result;
    }
    std::string errTemplate = (std::filesystem::temp_directory_path() / "vantor-stderr-XXXXXX").string();
    std::vector<char> errName(errTemplate.begin(), errTemplate.end());
    errName.push_back('\0');
    int errFd = ::mkstemp(errName.data());
    if (errFd < 0) return result;
    ::close(errFd);
    const std::string errPath = errName.data();

    std::string command = prefix + ShellQuote(bin) + " " + arguments + " </dev/null 2>" + ShellQuote(errPath);
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
        int status = ::pclose(pipe);
        result.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::ifstream errFile(errPath, std::ios::binary);
    result.err.assign(std::istreambuf_iterator<char>(errFile), std::istreambuf_iterator<char>());
    std::filesystem::remove(errPath);
    return result;
}

// The same with each word quoted, so that names with spaces or quotes pass
// as they are.
inline CliResult RunVantor(const std::vector<std::string>& words, const std::string& prefix = "") {
    std::string arguments;
    for (const auto& word : words) arguments += (arguments.empty() ? "" : " ") + ShellQuote(word);
    return RunVantor(arguments, prefix);
}

}  // namespace vantor::test
