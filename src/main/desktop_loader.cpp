#include "main/desktop_loader.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ui/gtk/gtk_module.h"

// The module's bytes, linked in by desktop_module.S.
extern "C" const unsigned char larkspan_gtk_module_start[];
extern "C" const unsigned char larkspan_gtk_module_end[];

namespace larkspan {

namespace {

std::string Errno(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// The module as a file in memory; the descriptor stays open so that the loader can map it.
int ModuleFile(std::string* whyNot) {
    const int fd = ::memfd_create("larkspan-desktop", MFD_CLOEXEC);
    if (fd < 0) {
        *whyNot = Errno("memfd_create");
        return -1;
    }
    const unsigned char* at = larkspan_gtk_module_start;
    while (at < larkspan_gtk_module_end) {
        const ssize_t n = ::write(fd, at, static_cast<std::size_t>(larkspan_gtk_module_end - at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            *whyNot = Errno("writing the desktop front end");
            ::close(fd);
            return -1;
        }
        at += n;
    }
    return fd;
}

}  // namespace

DesktopBackend LoadDesktopBackend(int* argc, char*** argv) {
    DesktopBackend result;
    const int fd = ModuleFile(&result.whyNot);
    if (fd < 0) {
        return result;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    // Never closed: a toolkit cannot be unloaded once it has run.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ::close(fd);
    if (module == nullptr) {
        const char* error = ::dlerror();
        result.whyNot = std::string("cannot load the desktop front end: ") +
                        (error != nullptr ? error : "unknown error");
        return result;
    }
    using Abi = int (*)();
    using Open = ui::Backend* (*)(int*, char***);
    const auto abi = reinterpret_cast<Abi>(::dlsym(module, "larkspan_gtk_module_abi"));
    const auto open = reinterpret_cast<Open>(::dlsym(module, "larkspan_gtk_open"));
    if (abi == nullptr || open == nullptr || abi() != LARKSPAN_GTK_MODULE_ABI) {
        result.whyNot = "the desktop front end does not match this installer";
        return result;
    }
    result.backend.reset(open(argc, argv));
    if (!result.backend) {
        result.whyNot = "cannot open the display";
    }
    return result;
}

}  // namespace larkspan
