// The one failure type of the authoring tool: a single line for standard error, naming the
// file and the field or offset, and the exit status it ends the run with.
#pragma once

#include <stdexcept>
#include <string>

namespace pack {

inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;   // `verify` found the package damaged
inline constexpr int kExitBadInput = 2;  // anything else the tool could not do

class PackError : public std::runtime_error {
public:
    explicit PackError(const std::string& line, int status = kExitBadInput)
        : std::runtime_error(line), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

}  // namespace pack
