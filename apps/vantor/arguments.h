#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantor::cli {

// A wrong command line: the message is printed and the program exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed operation: the message is printed and the program exits with 1.
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The words of one command: positional arguments, options that take a value
// ("--tracks 4" or "--tracks=4") and flags ("--json"). Anything else that
// starts with "--" is a usage error.
class Arguments {
public:
    Arguments(const std::vector<std::string>& words, const std::set<std::string>& valued,
              const std::set<std::string>& flags);

    const std::vector<std::string>& Positionals() const { return m_positionals; }
    // The positional argument at index, or a usage error naming what is missing.
    const std::string& Positional(size_t index, const char* what) const;
    void ExpectPositionals(size_t minimum, size_t maximum) const;

    bool Flag(const std::string& name) const { return m_flags.count(name) != 0; }
    std::optional<std::string> Option(const std::string& name) const;

    // Typed options: a usage error when the text is not a number.
    std::optional<int64_t> IntOption(const std::string& name) const;
    std::optional<double> RealOption(const std::string& name) const;

private:
    std::vector<std::string> m_positionals;
    std::set<std::string> m_flags;
    std::map<std::string, std::string> m_options;
};

// Whole-text number parsing for the command line (no trailing garbage).
std::optional<int64_t> ParseInteger(const std::string& text);
std::optional<double> ParseReal(const std::string& text);

}  // namespace vantor::cli
