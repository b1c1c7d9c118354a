// The installer program: binds the application object to the Linux services and the front
// end that suits the session, then runs it.
#include <iostream>
#include <memory>

#include "app/larkspan_app.h"
#include "main/front_end.h"
#include "platform/posix/image_decoder_posix.h"
#include "platform/posix/posix_env.h"
#include "resources/resource.h"
#include "resources/resource_module.h"
#include "ui/console/console_backend.h"
#ifdef LARKSPAN_HAVE_GTK
#include "ui/gtk/gtk_backend.h"
#endif

extern CLarkspanApp theApp;

// Marks this program as an installer stub, so that the wrapping tool accepts it.
[[gnu::used]] static const char kStubMarker[] = "LARKSPAN-INSTALLER-STUB-1";

int main(int argc, char** argv) {
    auto environment = platform::posix::Environment::FromProcess();
    const auto variable = [&environment](const std::string& name) {
        return environment.Find(name);
    };
#ifdef LARKSPAN_HAVE_GTK
    constexpr bool kGtkBuilt = true;
    const auto canOpen = [&] { return ui::gtk::OpenDisplay(&argc, &argv); };
#else
    constexpr bool kGtkBuilt = false;
    const auto canOpen = [] { return false; };
    (void)argc;
    (void)argv;
#endif
    std::unique_ptr<ui::Backend> backend;
    if (larkspan::ChooseFrontEnd(variable, kGtkBuilt, canOpen) == larkspan::FrontEnd::gtk) {
#ifdef LARKSPAN_HAVE_GTK
        backend = ui::gtk::NewGtkBackend();
#endif
    }
    if (backend == nullptr) {
        ui::console::ConsoleOptions options;
        options.labels = {{IDC_PACKAGE_NAME, u"Name"}, {IDC_DESCRIPTION, u"Description"}};
        backend = ui::console::NewConsoleBackend(std::cin, std::cout, std::move(options));
    }
    auto env = platform::posix::NewPosixEnv(std::move(environment));
    auto decoder = platform::posix::NewImageDecoder();

    AfxServices services;
    services.env = env.get();
    services.backend = backend.get();
    services.imageDecoder = decoder.get();
    services.resources = &resources::LarkspanResources();
    return theApp.Run(services, CString::FromUtf8(platform::posix::ExecutablePath()));
}
