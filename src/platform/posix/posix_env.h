// The Linux implementation of the platform seam.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/env.h"

namespace platform::posix {

// What the Linux Env reads of its surroundings, passed in rather than looked up inside,
// so that tests can give each documents-folder query the world it needs.
struct Environment {
    std::map<std::string, std::string> variables;
    // The home folder from the password database, or nothing.
    std::function<std::optional<std::string>()> passwordHome;
    // The file that holds the running program's resources.
    std::string executablePath = "/proc/self/exe";
    // False: CreateUnnamedFile writes under a temporary name, as it does where the file
    // system refuses files without a name (for tests of that way).
    bool unnamedFiles = true;

    const std::string* Find(const std::string& name) const;
    // The process's own environment, password database and executable.
    static Environment FromProcess();
};

// The native path for a carried path: each "\" becomes "/", a leading "C:" names the root
// folder, and paths of 260 characters or more (or with another drive, or a NUL) have none.
std::optional<std::string> NativePath(const Path& path);
// The carried form of a native path.
Path CarriedPath(const std::string& native);
// A native path without the slashes that end it ("/" itself stays).
std::string WithoutTrailingSlash(std::string native);

std::unique_ptr<Env> NewPosixEnv(Environment environment);

// The running program's own file, as the system names it.
std::string ExecutablePath();

}  // namespace platform::posix
