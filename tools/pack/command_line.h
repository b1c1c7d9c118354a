// The whole command line of larkspan-pack, callable in-process by tests.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pack {

// args[0] is the program name. Returns the exit status: 0 done, 1 a damaged package found
// by `verify`, 2 bad input or a bad command line.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pack
