// Loading the desktop front end at run time. The module (the GTK front end built as a
// shared object) travels inside the installer; it is opened from memory, and only then are
// the toolkit's libraries loaded, so that the installer starts where they are missing.
#pragma once

#include <memory>
#include <string>

#include "ui/backend.h"

namespace larkspan {

struct DesktopBackend {
    std::unique_ptr<ui::Backend> backend;  // null when it could not be had
    std::string whyNot;                    // then: why, in one line
};

// Loads the module and opens the display that the environment names.
DesktopBackend LoadDesktopBackend(int* argc, char*** argv);

}  // namespace larkspan
