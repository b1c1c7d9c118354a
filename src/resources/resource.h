/* Resource and control ids of the installer, and its version: the one source for the C++
   code, the resource script and the build. Plain preprocessor definitions, so that the
   resource compiler reads this file too. */
#pragma once

#define IDD_INSTALL 102
#define IDI_APP 128

#define IDC_IMAGE_FRAME 1000
#define IDC_PACKAGE_NAME 1001
#define IDC_REQUIRED_VERSION 1002
#define IDC_SUBFOLDER 1003
#define IDC_DESCRIPTION 1004
#define IDC_STATIC (-1)

#define LARKSPAN_VERSION_MAJOR 1
#define LARKSPAN_VERSION_MINOR 0
#define LARKSPAN_VERSION_PATCH 0
#define LARKSPAN_VERSION_BUILD 1
#define LARKSPAN_VERSION_TEXT "1.0.0.1"
