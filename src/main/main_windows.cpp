// The Windows installer program: the Windows services, GDI+ for the title image, and the
// front end.
#include <windows.h>

#include <iostream>
#include <memory>

#include "main/installer_runner.h"
#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/win32_env.h"
#include "resources/install_dialog.h"
#include "ui/console/console_backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::unique_ptr<platform::Env> env = platform::win32::NewWin32Env();
    const std::unique_ptr<platform::ImageDecoder> decoder =
        platform::win32::NewGdiplusDecoder(*env);

    // Until the dialog has its Win32 front end, the installer talks on its standard streams.
    ui::console::ConsoleOptions options;
    for (const resources::FieldLabel& field : resources::UnlabelledFields()) {
        options.labels.emplace(field.id, std::u16string(field.label));
    }
    const std::unique_ptr<ui::Backend> backend =
        ui::console::NewConsoleBackend(std::cin, std::cout, std::move(options));

    larkspan::InstallerServices services;
    services.env = env.get();
    services.backend = backend.get();
    services.imageDecoder = decoder.get();
    services.executablePath = platform::win32::ExecutablePath();
    return larkspan::RunInstaller(services);
}
