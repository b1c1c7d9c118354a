#include "resources/install_dialog.h"

#include <array>

#include "resources/resource.h"

namespace resources {

namespace {

using ui::ControlClass;
using ui::ControlTemplate;

constexpr std::array<ControlTemplate, 9> kControls = {{
    {1, ControlClass::button, u"Install", 378, 148, 50, 14, 0x50010001},
    {2, ControlClass::button, u"Cancel", 430, 148, 50, 14, 0x50010000},
    {IDC_IMAGE_FRAME, ControlClass::staticText, u"", 7, 7, 227, 155, 0x50000007},
    {IDC_PACKAGE_NAME, ControlClass::edit, u"", 243, 7, 237, 14, 0x50810880},
    {IDC_STATIC, ControlClass::staticText, u"Requires QIB Version", 246, 97, 70, 8, 0x50020000},
    {IDC_REQUIRED_VERSION, ControlClass::edit, u"", 324, 94, 26, 14, 0x50810880},
    {IDC_STATIC, ControlClass::staticText, u"Install Into Subfolder", 248, 118, 68, 8, 0x50020000},
    {IDC_SUBFOLDER, ControlClass::edit, u"", 324, 115, 94, 14, 0x50810080},
    {IDC_DESCRIPTION, ControlClass::edit, u"", 243, 25, 237, 56, 0x50A10804},
}};

constexpr ui::DialogTemplate kInstallDialog = {
    IDD_INSTALL, u"QIB Template Install", u"MS Shell Dlg", 8, 0, 0, 487, 169,
    0x90C40048,  // popup, visible, caption, sizing border, set font, fixed system font
    0x00040000,  // app window: a taskbar entry
    kControls,
};

constexpr FieldLabel kUnlabelledFields[] = {
    {IDC_PACKAGE_NAME, u"Name"},
    {IDC_DESCRIPTION, u"Description"},
};

}  // namespace

const ui::DialogTemplate& InstallDialogTemplate() {
    return kInstallDialog;
}

std::span<const FieldLabel> UnlabelledFields() {
    return kUnlabelledFields;
}

}  // namespace resources
