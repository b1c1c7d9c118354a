#include "platform/posix/user_dirs.h"

namespace platform::posix {

namespace {

constexpr std::string_view kDocumentsKey = "XDG_DOCUMENTS_DIR=";

// The text between the opening quote at the start of `value` and its closing quote, "\"
// escaping the next character; nothing when the quotes are missing.
std::optional<std::string> Unquoted(std::string_view value) {
    if (value.size() < 2 || value.front() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            text += value[++i];
        } else if (value[i] == '"') {
            return text;
        } else {
            text += value[i];
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> UserDirsFile(const Environment& env) {
    if (const std::string* config = env.Find("XDG_CONFIG_HOME");
        config != nullptr && !config->empty() && config->front() == '/') {
        return *config + "/user-dirs.dirs";
    }
    if (const std::string* home = env.Find("HOME"); home != nullptr && !home->empty()) {
        return WithoutTrailingSlash(*home) + "/.config/user-dirs.dirs";
    }
    return std::nullopt;
}

std::optional<std::string> DocumentsDirOfUserDirs(std::string_view text, const std::string* home) {
    std::optional<std::string> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos || line.substr(start).rfind(kDocumentsKey, 0) != 0) {
            continue;
        }
        std::optional<std::string> value = Unquoted(line.substr(start + kDocumentsKey.size()));
        if (!value) {
            continue;
        }
        // Only "$HOME" itself or "$HOME/..." names the home folder; "$HOMEDIR/..." does not.
        if (*value == "$HOME" || value->rfind("$HOME/", 0) == 0) {
            if (home == nullptr || home->empty()) {
                continue;
            }
            *value = WithoutTrailingSlash(*home) + value->substr(5);
        }
        if (value->empty() || value->front() != '/') {
            continue;
        }
        found = WithoutTrailingSlash(*value);  // the last assignment wins, as in a shell
    }
    return found;
}

}  // namespace platform::posix
