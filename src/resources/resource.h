// Resource and control ids of the installer.
#pragma once

inline constexpr unsigned IDD_INSTALL = 102;
inline constexpr unsigned IDI_APP = 128;
inline constexpr unsigned IDR_SETUP = 129;

inline constexpr int IDC_IMAGE_FRAME = 1000;
inline constexpr int IDC_PACKAGE_NAME = 1001;
inline constexpr int IDC_REQUIRED_VERSION = 1002;
inline constexpr int IDC_SUBFOLDER = 1003;
inline constexpr int IDC_DESCRIPTION = 1004;
inline constexpr int IDC_STATIC = -1;
inline constexpr unsigned IDC_IMAGE_WINDOW = 123456;
