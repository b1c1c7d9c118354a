// The desktop front end as a module that the installer loads at run time, so that the
// installer itself needs no toolkit library to start. The module's only exports are these C
// entry points; the installer resolves them by name.
#pragma once

namespace ui {
class Backend;
}

// Changes whenever the seam between the installer and the module changes, so that a module
// of another build is refused rather than called.
#define LARKSPAN_GTK_MODULE_ABI 1

extern "C" {

// LARKSPAN_GTK_MODULE_ABI of the module's build.
int larkspan_gtk_module_abi();

// Initialises the toolkit on the display that the environment names and returns the front
// end, owned by the caller (deleted through its virtual destructor); null when the display
// cannot be opened. Takes the toolkit's own options out of the command line.
ui::Backend* larkspan_gtk_open(int* argc, char*** argv);
}
