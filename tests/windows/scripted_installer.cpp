// The Windows installer with the scripted front end in place of windows: the real runner over
// the Windows services, for end-to-end runs under Wine without a display. Wrapped like the
// installer itself, it finds its payload as its own resource.
//
//   scripted_installer.exe [--no] [--cancel] [--subfolder TEXT]
//
// The dialog is answered by pressing Install (or Cancel), a question by Yes (or No). Prints
// the dialog's fields when shown, then every box as "[box] TITLE" and its text, in UTF-8.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "main/installer_runner.h"
#include "platform/text.h"
#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/win32_env.h"
#include "resources/resource.h"
#include "support/scripted_backend.h"

namespace {

void Print(std::u16string_view text) {
    const std::string utf8 = platform::Utf16ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // the texts' own line breaks, unchanged
    testing_support::ScriptedBackend backend;
    bool cancel = false;
    backend.answers.push_back(ui::BoxAnswer::yes);
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--no") {
            backend.answers = {ui::BoxAnswer::no};
        } else if (arg == L"--cancel") {
            cancel = true;
        } else if (arg == L"--subfolder" && i + 1 < argc) {
            const std::wstring text = argv[++i];
            backend.script.push_back(
                testing_support::SetText{IDC_SUBFOLDER, std::u16string(text.begin(), text.end())});
        }
    }
    backend.script.push_back(testing_support::Press{cancel ? 2 : 1});

    const auto env = platform::win32::NewWin32Env();
    const auto decoder = platform::win32::NewGdiplusDecoder();
    larkspan::InstallerServices services;
    services.env = env.get();
    services.backend = &backend;
    services.imageDecoder = decoder.get();
    services.executablePath = platform::win32::ExecutablePath();
    const int result = larkspan::RunInstaller(services);

    if (!backend.shown.empty()) {
        Print(u"[dialog]\n");
        for (const auto& [id, text] : backend.shown.front().texts) {
            Print(std::u16string(u"field ") + platform::Utf8ToUtf16(std::to_string(id)) + u": " +
                  text + u"\n");
        }
    }
    for (const testing_support::RecordedBox& box : backend.boxes) {
        Print(u"[box] " + box.title + u"\n" + box.text + u"\n");
    }
    std::fflush(stdout);
    return result;
}
