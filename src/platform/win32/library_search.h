// Where the program looks for the libraries that are loaded while it runs.
#pragma once

#include <memory>
#include <vector>

namespace platform::win32 {

class SystemLibrary;

// Made first in the program, before anything loads a library, and kept for its life: an
// installer is started from a download folder, where anyone may leave a file named like a
// system library.
//
// Restricts the search of every library loaded by name from now on to the system folder:
// neither the program's folder, the current folder nor PATH is searched. Where the system
// lacks SetDefaultDllDirectories (Windows 7 without its update KB2533623), only the current
// folder can be removed from the search; so the system libraries that the system's own code
// loads by name while the installer runs (themes, the image codecs behind GDI+, ...) are
// loaded here from the system folder at once, and a later load by name finds them loaded.
// The same covers system code that looks libraries up by the process's first search path
// regardless of the restriction (Wine's delay-loaded imports do).
class LibrarySearchRestriction {
public:
    LibrarySearchRestriction();
    LibrarySearchRestriction(const LibrarySearchRestriction&) = delete;
    LibrarySearchRestriction& operator=(const LibrarySearchRestriction&) = delete;
    ~LibrarySearchRestriction();

private:
    std::vector<std::unique_ptr<SystemLibrary>> preloaded_;
};

}  // namespace platform::win32
