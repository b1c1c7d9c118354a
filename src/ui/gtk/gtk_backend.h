// The desktop front end on GTK 3. No toolkit type appears here: the installer's program
// opens the display and takes the backend through these two functions only.
#pragma once

#include <memory>

#include "ui/backend.h"

namespace ui::gtk {

// Initialises the toolkit on the display that the environment names; true when it could be
// opened. Takes the toolkit's own options out of the command line. Call once, before
// NewGtkBackend.
bool OpenDisplay(int* argc, char*** argv);

// The front end for an opened display.
std::unique_ptr<Backend> NewGtkBackend();

}  // namespace ui::gtk
