// larkspan-pack.exe: the authoring tool's Windows entry point. The command line arrives in
// UTF-16 and is handed on as UTF-8, the tool's own text; what the tool prints goes to a
// console as UTF-16 (so that every name shows whatever the console's code page) and to a file
// or a pipe as the UTF-8 bytes the Linux tool writes.
#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "pack/command_line.h"

namespace {

std::string Utf8Of(const wchar_t* text) {
    const int length = static_cast<int>(std::wcslen(text));
    if (length == 0) {
        return {};
    }
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    }
    return utf8;
}

// The bytes of a UTF-8 text that end in the middle of a character: kept for the next write.
std::size_t IncompleteTail(const std::string& text) {
    std::size_t back = 0;
    while (back < text.size() && back < 4 &&
           (static_cast<unsigned char>(text[text.size() - 1 - back]) & 0xC0) == 0x80) {
        ++back;
    }
    if (back == text.size()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[text.size() - 1 - back]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length > back + 1 ? back + 1 : 0;
}

// A stream buffer over a standard handle, flushed at every line end and when the stream is.
class StandardHandleBuffer final : public std::streambuf {
public:
    explicit StandardHandleBuffer(DWORD which) : handle_(::GetStdHandle(which)) {
        DWORD mode = 0;
        console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
                   ::GetConsoleMode(handle_, &mode) != 0;
    }
    StandardHandleBuffer(const StandardHandleBuffer&) = delete;
    StandardHandleBuffer& operator=(const StandardHandleBuffer&) = delete;
    ~StandardHandleBuffer() override { Flush(true); }

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_ += traits_type::to_char_type(c);
            if (c == '\n' || pending_.size() >= 4096) {
                Flush(false);
            }
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        if (pending_.find('\n') != std::string::npos || pending_.size() >= 4096) {
            Flush(false);
        }
        return n;
    }
    int sync() override { return Flush(false) ? 0 : -1; }

private:
    bool Flush(bool all) {
        if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
            pending_.clear();
            return true;
        }
        const std::size_t keep = all ? 0 : IncompleteTail(pending_);
        const std::string out = pending_.substr(0, pending_.size() - keep);
        pending_.erase(0, out.size());
        if (out.empty()) {
            return true;
        }
        if (console_) {
            const int units = ::MultiByteToWideChar(CP_UTF8, 0, out.data(),
                                                    static_cast<int>(out.size()), nullptr, 0);
            std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
            ::MultiByteToWideChar(CP_UTF8, 0, out.data(), static_cast<int>(out.size()), wide.data(),
                                  units);
            DWORD written = 0;
            return ::WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written,
                                   nullptr) != 0;
        }
        for (std::size_t done = 0; done < out.size();) {
            DWORD written = 0;
            if (::WriteFile(handle_, out.data() + done, static_cast<DWORD>(out.size() - done),
                            &written, nullptr) == 0 ||
                written == 0) {
                return false;
            }
            done += written;
        }
        return true;
    }

    HANDLE handle_;
    bool console_ = false;
    std::string pending_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        args.push_back(Utf8Of(argv[i]));
    }
    StandardHandleBuffer outBuffer(STD_OUTPUT_HANDLE);
    StandardHandleBuffer errBuffer(STD_ERROR_HANDLE);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    const int status = pack::RunCommandLine(args, out, err);
    out.flush();
    err.flush();
    return status;
}
