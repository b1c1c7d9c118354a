// The installer program on any platform: the application object run over the services that
// the platform's entry point hands in.
#pragma once

#include <string>

#include "platform/env.h"
#include "platform/image_decoder.h"
#include "ui/backend.h"

namespace larkspan {

struct InstallerServices {
    platform::Env* env = nullptr;
    ui::Backend* backend = nullptr;
    platform::ImageDecoder* imageDecoder = nullptr;
    // The running program's file, as the system names it: the application is named after it.
    std::u16string executablePath;
};

// Runs the installer to its end; returns the process exit code.
int RunInstaller(const InstallerServices& services);

}  // namespace larkspan
