// The Windows installer program: the Windows services, GDI+ for the title image, and the
// Win32 front end over the program's own resources.
#include <windows.h>

#include <memory>

#include "main/installer_runner.h"
#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/library_search.h"
#include "platform/win32/win32_env.h"
#include "ui/win32/win32_backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything loads a library: the installer runs from a download folder.
    const platform::win32::LibrarySearchRestriction systemFolderOnly;
    const std::unique_ptr<platform::Env> env = platform::win32::NewWin32Env();
    const std::unique_ptr<platform::ImageDecoder> decoder = platform::win32::NewGdiplusDecoder();
    const std::unique_ptr<ui::Backend> backend = ui::win32::NewWin32Backend();

    larkspan::InstallerServices services;
    services.env = env.get();
    services.backend = backend.get();
    services.imageDecoder = decoder.get();
    services.executablePath = platform::win32::ExecutablePath();
    return larkspan::RunInstaller(services);
}
