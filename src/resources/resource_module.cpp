#include "resources/resource_module.h"

#include "resources/app_icon.h"
#include "resources/install_dialog.h"
#include "resources/resource.h"

namespace resources {

namespace {

class Module final : public AfxResourceModule {
public:
    const ui::DialogTemplate* FindDialog(UINT id) const override {
        return id == IDD_INSTALL ? &InstallDialogTemplate() : nullptr;
    }
    HICON FindIcon(UINT id) const override { return id == IDI_APP ? &AppIcon() : nullptr; }
    // The string table holds no application title, so the framework names the application
    // after its executable.
    CString FindString(UINT) const override { return {}; }
};

}  // namespace

const AfxResourceModule& LarkspanResources() {
    static const Module module;
    return module;
}

}  // namespace resources
