// The desktop's user folders as user-dirs.dirs names them: where that file lies and the
// documents folder it gives, each a function of the surroundings passed in, so that the
// rules are tested without a home folder on disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/posix_env.h"

namespace platform::posix {

// $XDG_CONFIG_HOME/user-dirs.dirs when XDG_CONFIG_HOME is an absolute path, otherwise
// $HOME/.config/user-dirs.dirs; nothing when neither is set (or HOME is empty).
std::optional<std::string> UserDirsFile(const Environment& env);

// The folder that the last usable XDG_DOCUMENTS_DIR line of a user-dirs.dirs text names,
// without trailing slashes. A usable line is XDG_DOCUMENTS_DIR="VALUE" (leading blanks
// allowed), where "\" takes the next character literally and VALUE is an absolute path or
// "$HOME" / "$HOME/..." with `home` set and not empty. Nothing when no line is usable.
std::optional<std::string> DocumentsDirOfUserDirs(std::string_view text, const std::string* home);

}  // namespace platform::posix
