#include "main/installer_runner.h"

#include "app/larkspan_app.h"
#include "main/stub_marker.h"
#include "resources/resource_module.h"

extern CLarkspanApp theApp;

namespace larkspan {

int RunInstaller(const InstallerServices& services) {
    KeepStubMarker();
    AfxServices afx;
    afx.env = services.env;
    afx.backend = services.backend;
    afx.imageDecoder = services.imageDecoder;
    afx.resources = &resources::LarkspanResources();
    return theApp.Run(afx, CString(services.executablePath));
}

}  // namespace larkspan
