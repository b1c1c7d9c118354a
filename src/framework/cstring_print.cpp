// How tests print a CString. A file of its own, so that a program that never prints one (the
// Windows installer) does not link the stream and locale machinery for it.
#include <ostream>

#include "framework/cstring.h"

void PrintTo(const CString& s, std::ostream* os) {
    *os << '"' << s.ToUtf8() << '"';
}
