#!/usr/bin/env python3
"""The layering rules, checked on every include line of src/ for both platforms.

1. Headers that are not the C++ standard library's (system, toolkit and codec headers) only
   in the .cpp files of the folders that wrap them: each operating system's platform folder,
   each front end, the codec and checksum folders, and the programs' entry points.
2. A file that includes a Windows header never reaches a header of the framework, directly
   or through other headers of ours: the framework's TRUE, IDOK, MB_*, DWORD and
   SendMessage would clash with the system's.
3. Each layer includes only the layers below it:
   app -> package, userdata, imaging -> framework -> platform, ui.
"""
import pathlib
import re
import sys

STANDARD = set("""
algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv
chrono cinttypes climits clocale cmath codecvt compare complex concepts condition_variable
coroutine csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar
cwctype deque exception execution expected filesystem format forward_list fstream functional
future initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale
map memory memory_resource mutex new numbers numeric optional ostream queue random ranges
ratio regex scoped_allocator semaphore set shared_mutex source_location span sstream stack
stdexcept stop_token streambuf string string_view syncstream system_error thread tuple
type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector
version
""".split())

# Where headers beyond the standard library may be included, by folder under src/.
WRAPPERS = {
    "platform/posix": "posix",
    "platform/win32": "windows",
    "platform/codecs": re.compile(r"^(png\.h|turbojpeg\.h)$"),
    "platform/checksum": re.compile(r"^xxhash\.h$"),
    "ui/gtk": re.compile(r"^(gtk/|gdk/|glib|gio/|cairo|pango|X11/)"),
    "ui/console": "posix",
    "ui/win32": "windows",
    "main": "any",
    # The scaler's instruction-set kernels.
    "imaging": re.compile(r"^(immintrin|emmintrin|smmintrin|arm_neon)\.h$"),
}

WINDOWS = re.compile(r"^(windows|winbase|winuser|wingdi|winnt|windef|winerror|commctrl|"
                     r"shlobj|shellapi|objbase|ole2|gdiplus.*|shlwapi|knownfolders|io)\.h$",
                     re.IGNORECASE)

# Libraries that only their own wrapper includes.
LIBRARIES = re.compile(r"^(png\.h|turbojpeg\.h|jpeglib\.h|xxhash\.h|gtk/|gdk/|glib|gio/|cairo|"
                       r"pango|X11/)")

# What each layer may not include: the layers above it and every backend.
BACKENDS = ("platform/posix", "platform/win32", "platform/codecs", "platform/checksum",
            "ui/console", "ui/gtk", "ui/win32", "ui/offscreen", "ui/common")
FORBIDDEN = {
    "framework": ("app", "package", "userdata", "imaging", "resources") + BACKENDS,
    "userdata": ("app", "package", "imaging", "resources") + BACKENDS,
    "imaging": ("app", "package", "userdata", "resources") + BACKENDS,
    "package": ("app", "imaging", "resources") + BACKENDS,
    "resources": ("app", "package", "userdata", "imaging") + BACKENDS,
    "app": BACKENDS,
    "platform": ("framework", "app", "package", "userdata", "imaging", "resources", "ui"),
    "ui": ("framework", "app", "package", "userdata", "imaging", "resources", "platform/posix",
           "platform/win32", "platform/codecs"),
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(rel):
    parts = rel.split("/")
    two = "/".join(parts[:2])
    return two if two in WRAPPERS else parts[0]


def main(src):
    failures = []
    includes = {}  # file -> [(kind, name, line number, text)]
    files = sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp"))
    for path in files:
        rel = path.relative_to(src).as_posix()
        found = []
        for number, text in enumerate(path.read_text(errors="replace").splitlines(), 1):
            m = INCLUDE.match(text)
            if m:
                found.append((m.group(1), m.group(2), number, text.strip()))
        includes[rel] = found

    for rel, found in includes.items():
        folder = folder_of(rel)
        layer = rel.split("/")[0]
        for kind, name, number, text in found:
            where = f"src/{rel}:{number}: {text}"
            if kind == "<" and name not in STANDARD:
                allowed = WRAPPERS.get(folder)
                header_ok = rel.endswith(".cpp") or folder in ("main", "imaging")
                if allowed is None or not header_ok:
                    failures.append(f"system or library header outside its wrapper: {where}")
                elif allowed == "posix" and WINDOWS.match(name):
                    failures.append(f"Windows header outside the Windows folders: {where}")
                elif allowed in ("posix", "windows") and LIBRARIES.match(name):
                    failures.append(f"header not of this wrapper's library: {where}")
                elif isinstance(allowed, re.Pattern) and not allowed.match(name):
                    failures.append(f"header not of this wrapper's library: {where}")
            if kind == '"':
                forbidden = FORBIDDEN.get(layer, ())
                if rel.startswith("ui/") and rel.count("/") == 1:
                    forbidden = forbidden + ("platform",)  # the seam itself stands alone
                if any(name.startswith(f + "/") for f in forbidden):
                    failures.append(f"{layer} includes a layer above it or a backend: {where}")

    # Rule 2: the closure of our own headers from each file that includes a Windows header.
    def closure(rel, seen):
        for kind, name, _, _ in includes.get(rel, ()):
            if kind == '"' and name not in seen and name in includes:
                seen.add(name)
                closure(name, seen)
        return seen

    for rel, found in includes.items():
        windows = [t for k, n, _, t in found if k == "<" and WINDOWS.match(n)]
        if not windows:
            continue
        reached = sorted(h for h in closure(rel, set()) if h.startswith("framework/"))
        if reached:
            failures.append(f"src/{rel} includes {windows[0]} and reaches the framework's "
                            f"{', '.join(reached)}")

    for f in failures:
        print("layering:", f)
    if not failures:
        print("layering: ok")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1]) / "src"))
