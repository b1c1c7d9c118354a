// The Linux installer program: the posix services, the picture codecs, and the desktop front
// end when a display can be opened, else the console. The desktop front end is loaded only
// then, so that the program starts on machines without the toolkit.
#include <iostream>
#include <memory>

#include "main/backend_choice.h"
#include "main/installer_runner.h"
#include "platform/codecs/picture_codecs.h"
#include "platform/posix/posix_env.h"
#include "platform/text.h"
#include "resources/install_dialog.h"
#include "ui/console/console_backend.h"
#ifdef LARKSPAN_HAVE_GTK
#include "main/desktop_loader.h"
#endif

namespace {

// GTK when it is built and a display can be opened; else the console.
std::unique_ptr<ui::Backend> NewBackend(const platform::posix::Environment& environment, int* argc,
                                        char*** argv) {
    const auto variable = [&environment](const std::string& name) {
        return environment.Find(name);
    };
#ifdef LARKSPAN_HAVE_GTK
    std::unique_ptr<ui::Backend> desktop;
    const auto canOpen = [&] {
        larkspan::DesktopBackend loaded = larkspan::LoadDesktopBackend(argc, argv);
        if (!loaded.backend) {
            std::cerr << "larkspan: " << loaded.whyNot << "; using the console\n";
        }
        desktop = std::move(loaded.backend);
        return desktop != nullptr;
    };
    if (larkspan::ChooseBackend(variable, true, canOpen) == larkspan::BackendKind::gtk) {
        return desktop;
    }
#else
    (void)variable;
    (void)argc;
    (void)argv;
#endif
    ui::console::ConsoleOptions options;
    for (const resources::FieldLabel& field : resources::UnlabelledFields()) {
        options.labels.emplace(field.id, std::u16string(field.label));
    }
    return ui::console::NewConsoleBackend(std::cin, std::cout, std::move(options));
}

}  // namespace

int main(int argc, char** argv) {
    auto environment = platform::posix::Environment::FromProcess();
    const std::unique_ptr<ui::Backend> backend = NewBackend(environment, &argc, &argv);
    const std::unique_ptr<platform::Env> env = platform::posix::NewPosixEnv(std::move(environment));
    const std::unique_ptr<platform::ImageDecoder> decoder = platform::codecs::NewImageDecoder();

    larkspan::InstallerServices services;
    services.env = env.get();
    services.backend = backend.get();
    services.imageDecoder = decoder.get();
    services.executablePath = platform::Utf8ToUtf16(platform::posix::ExecutablePath());
    return larkspan::RunInstaller(services);
}
