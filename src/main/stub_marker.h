// The marker that makes a program an installer stub in the eyes of `larkspan-pack wrap`: its
// text must stand in the program's bytes.
#pragma once

namespace larkspan {

extern const char kStubMarker[];

// Reads the marker through a volatile access, which no compiler or linker may drop; every
// installer program calls it once, so that the marker is part of every stub.
void KeepStubMarker();

}  // namespace larkspan
