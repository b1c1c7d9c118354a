// The terminal front end: message boxes and the dialog line by line on a text stream, so
// that a person at a terminal and a script on a pipe can both drive the installer.
#pragma once

#include <iosfwd>
#include <map>
#include <memory>
#include <string>

#include "ui/backend.h"

namespace ui::console {

struct ConsoleOptions {
    // Labels of edit controls that the template gives no label of their own.
    std::map<int, std::u16string> labels;
};

std::unique_ptr<Backend> NewConsoleBackend(std::istream& in, std::ostream& out,
                                           ConsoleOptions options);

}  // namespace ui::console
