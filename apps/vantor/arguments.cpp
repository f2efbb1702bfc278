#include "arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace vantor::cli {

Arguments::Arguments(const std::vector<std::string>& words, const std::set<std::string>& valued,
                     const std::set<std::string>& flags) {
    bool onlyPositionals = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (onlyPositionals || word.size() < 3 || word.compare(0, 2, "--") != 0) {
            if (word == "--") {
                onlyPositionals = true;
                continue;
            }
            m_positionals.push_back(word);
            continue;
        }
        std::string name = word;
        std::optional<std::string> value;
        if (auto eq = word.find('='); eq != std::string::npos) {
            name = word.substr(0, eq);
            value = word.substr(eq + 1);
        }
        if (valued.count(name)) {
            if (!value) {
                if (i + 1 >= words.size()) throw UsageError("option " + name + " needs a value");
                value = words[++i];
            }
            m_options[name] = *value;
        } else if (flags.count(name) && !value) {
            m_flags.insert(name);
        } else {
            throw UsageError("unknown option " + word);
        }
    }
}

const std::string& Arguments::Positional(size_t index, const char* what) const {
    if (index >= m_positionals.size()) throw UsageError(std::string("missing ") + what);
    return m_positionals[index];
}

void Arguments::ExpectPositionals(size_t minimum, size_t maximum) const {
    if (m_positionals.size() < minimum) throw UsageError("too few arguments");
    if (m_positionals.size() > maximum) throw UsageError("unexpected argument " + m_positionals[maximum]);
}

std::optional<std::string> Arguments::Option(const std::string& name) const {
    auto it = m_options.find(name);
    if (it == m_options.end()) return std::nullopt;
    return it->second;
}

std::optional<int64_t> Arguments::IntOption(const std::string& name) const {
    auto text = Option(name);
    if (!text) return std::nullopt;
    auto value = ParseInteger(*text);
    if (!value) throw UsageError(name + " needs a whole number, not \"" + *text + "\"");
    return value;
}

std::optional<double> Arguments::RealOption(const std::string& name) const {
    auto text = Option(name);
    if (!text) return std::nullopt;
    auto value = ParseReal(*text);
    if (!value) throw UsageError(name + " needs a number, not \"" + *text + "\"");
    return value;
}

std::optional<int64_t> ParseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0') return std::nullopt;
    return value;
}

std::optional<double> ParseReal(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace vantor::cli
