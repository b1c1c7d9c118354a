// The system's handle types as the headers of this folder name them, without the system's
// headers: each is the pointer type that windows.h declares for it (STRICT handles).
#pragma once

struct HDC__;
struct HICON__;
struct HINSTANCE__;
struct HWND__;

namespace ui::win32 {

using NativeDc = HDC__*;
using NativeIcon = HICON__*;
using NativeModule = HINSTANCE__*;
using NativeWindow = HWND__*;

}  // namespace ui::win32
