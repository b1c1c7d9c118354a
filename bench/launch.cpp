// bench_launch [options] -- PROGRAM [ARGS...]: runs one program once and prints how long it
// took and its peak resident memory, on one line:
//
//   wall_ns=N dialog_ns=N after_ns=N maxrss_kib=N
//
// Options:
//   --input TEXT    TEXT ("\n" for a line break) waits on the program's standard input from
//                   the start; the input ends after it
//   --after-dialog  TEXT is held back until the program prints a line beginning "Commands:"
//                   (the console dialog is ready); dialog_ns is the time until then and
//                   after_ns the time from handing over TEXT to the program's exit
//   --expect TEXT   fail unless the program's standard output contains TEXT
//
// A program still running after two minutes is killed, and the launch fails.
//
// The clock runs from just before fork to the return of wait4, whose resource usage gives
// maxrss_kib for the program alone. A program that fails (non-zero exit, a signal, missing
// --expect text) fails the launch with exit status 1 and its output on standard error.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kTimeLimitSeconds = 120;
volatile pid_t g_child = 0;

void KillChild(int) {
    if (g_child > 0) {
        ::kill(g_child, SIGKILL);
    }
}

struct Options {
    std::string input;
    bool afterDialog = false;
    std::string expect;
    std::vector<char*> program;
};

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool Parse(int argc, char** argv, Options& options) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--input" && i + 1 < argc) {
            options.input = Unescape(argv[++i]);
        } else if (arg == "--expect" && i + 1 < argc) {
            options.expect = argv[++i];
        } else if (arg == "--after-dialog") {
            options.afterDialog = true;
        } else {
            return false;
        }
    }
    for (; i < argc; ++i) {
        options.program.push_back(argv[i]);
    }
    options.program.push_back(nullptr);
    return options.program.size() > 1;
}

// A pipe whose ends close themselves.
struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (::pipe2(fd, O_CLOEXEC) != 0) {
            std::perror("pipe2");
            std::exit(1);
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        CloseEnd(0);
        CloseEnd(1);
    }
    void CloseEnd(int end) {
        if (fd[end] >= 0) {
            ::close(fd[end]);
            fd[end] = -1;
        }
    }
};

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// True when `text` holds a complete line (ended by "\n") that begins with `start`.
bool HasWholeLine(const std::string& text, std::string_view start) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            return false;
        }
        if (std::string_view(text).substr(at, end - at).starts_with(start)) {
            return true;
        }
        at = end + 1;
    }
    return false;
}

long long Nanoseconds(Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: bench_launch [--input TEXT] [--after-dialog] [--expect TEXT] -- "
                     "PROGRAM [ARGS...]\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a program that exits without reading its input
    Pipe in;
    Pipe out;

    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        return 1;
    }
    if (pid == 0) {
        ::dup2(in.fd[0], STDIN_FILENO);
        ::dup2(out.fd[1], STDOUT_FILENO);
        ::execvp(options.program[0], options.program.data());
        std::perror(options.program[0]);
        ::_exit(127);
    }
    g_child = pid;
    std::signal(SIGALRM, KillChild);
    ::alarm(kTimeLimitSeconds);
    in.CloseEnd(0);
    out.CloseEnd(1);

    Clock::time_point dialog{};
    Clock::time_point handedOver = start;
    if (!options.afterDialog) {
        WriteAll(in.fd[1], options.input);
        in.CloseEnd(1);
    }
    // Collect the output; hand over the held-back input when the dialog's last line shows.
    std::string output;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(out.fd[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        output.append(chunk, static_cast<std::size_t>(n));
        if (options.afterDialog && in.fd[1] >= 0 && HasWholeLine(output, "Commands:")) {
            dialog = Clock::now();
            handedOver = dialog;
            WriteAll(in.fd[1], options.input);
            in.CloseEnd(1);
        }
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    const Clock::time_point end = Clock::now();

    const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool expected =
        options.expect.empty() || output.find(options.expect) != std::string::npos;
    const bool sawDialog = !options.afterDialog || dialog != Clock::time_point{};
    if (!exited || !expected || !sawDialog) {
        std::fprintf(stderr, "bench_launch: %s %s%s%s; its output:\n%s\n", options.program[0],
                     exited ? "exited normally" : "failed",
                     expected ? "" : ", without the expected output",
                     sawDialog ? "" : ", without showing the dialog", output.c_str());
        return 1;
    }
    std::printf("wall_ns=%lld dialog_ns=%lld after_ns=%lld maxrss_kib=%ld\n",
                Nanoseconds(end - start), options.afterDialog ? Nanoseconds(dialog - start) : 0LL,
                Nanoseconds(end - handedOver), usage.ru_maxrss);
    return 0;
}
