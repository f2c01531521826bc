// The benchmark's driver under Wine: it times, with QueryPerformanceCounter, what the Linux side
// could only time with a Wine process start in the way.
//
//   bench_driver startup ROUNDS LABEL=EXE LABEL=EXE...
//       Starts each program in turn (the order reversed every other round) and times from
//       CreateProcess to a visible window of the new process's first thread (looked for every
//       millisecond); then closes that window and waits for the process to end. The program's
//       settings are removed before every start, so it starts logged out. One start of each
//       comes first, untimed.
//
//   bench_driver send ROUNDS LOG ORIGIN BARE_EXE URL_FILE
//       With Wrenquil running, logged in, message and number filled: times from the Send
//       click to the gateway's log growing (the gateway writes a request's line as soon as it
//       has read its head; the log's size is looked at every 0.2 ms), then the same for
//       bare_wininet (started here, fed the URL the program sent, set off through a named
//       event), the two alternating. ORIGIN is "https://host:port"; the URL is also written
//       to URL_FILE.
//
//   bench_driver rest ROUNDS LABEL=EXE LABEL=EXE...
//       Starts each program in turn, sends its window the program's Hide command (Wrenquil
//       goes to the tray; the minimal dialog has no such command and stays as it is), lets it
//       settle for a second and reads its memory (GetProcessMemoryInfo): "rest_private LABEL
//       KB" and "rest_working_set LABEL KB".
//
// One line per timed sample on stdout: "FIGURE LABEL MILLISECONDS". Exit code 0, or 1 with a
// message on stderr.
#include "res/resource.h"
#include "wrenquil_version.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr char kMainWindowTitle[] = WRENQUIL_MAIN_WINDOW_TITLE;
constexpr char kSettingsKey[] = "Software\\Halvory Limited";
constexpr DWORD kPollMs = 1;           // between two looks at what is being waited for
constexpr LONGLONG kShortPollUs = 200; // the same, where a look costs no server request
constexpr double kWaitSeconds = 30.0;  // anything slower than this is broken, not slow
constexpr DWORD kSettleMs = 1000;      // for a program at rest after its last command

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

double Now() {
    static const double msPerTick = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return 1000.0 / static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * msPerTick;
}

// Polls until `done` holds; fails with `what` after kWaitSeconds.
void PollUntil(const std::function<bool()>& done, const std::string& what) {
    const double deadline = Now() + kWaitSeconds * 1000.0;
    while (!done()) {
        if (Now() > deadline) {
            throw Failure("timed out waiting for " + what);
        }
        ::Sleep(kPollMs);
    }
}

// Pauses for kShortPollUs: NtDelayExecution takes any time in 100 ns units (Wine sleeps in
// select()), where Sleep takes whole milliseconds.
void ShortPause() {
    using DelayExecution = LONG(NTAPI*)(BOOLEAN, PLARGE_INTEGER);
    static const auto delay = reinterpret_cast<DelayExecution>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
    if (delay == nullptr) {
        ::Sleep(kPollMs);
        return;
    }
    LARGE_INTEGER interval;
    interval.QuadPart = -kShortPollUs * 10; // negative: relative
    delay(FALSE, &interval);
}

void Sample(const char* figure, const std::string& label, double ms) {
    std::printf("%s %s %.3f\n", figure, label.c_str(), ms);
    std::fflush(stdout);
}

// ---- start-up --------------------------------------------------------------------------------

struct Program {
    std::string label;
    std::string exe;
};

// A visible window of the thread (the new process's first thread, which creates the window
// in both programs); each look costs Wine only a few server requests.
HWND VisibleWindowOf(DWORD threadId) {
    HWND found = nullptr;
    ::EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM data) -> BOOL {
            if (::IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

struct Running {
    PROCESS_INFORMATION process;
    HWND window;      // its first visible window
    double startupMs; // from CreateProcess to that window
};

// Starts the program with no settings of its own (it starts logged out) and waits for its
// first visible top-level window.
Running Start(const Program& program) {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); // absent is fine
    std::string commandLine = "\"" + program.exe + "\"";
    const std::string directory = program.exe.substr(0, program.exe.find_last_of("\\/"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double started = Now();
    if (!::CreateProcessA(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, directory.c_str(), &startup, &process)) {
        throw Failure("cannot start " + program.exe + ": error " +
                      std::to_string(::GetLastError()));
    }
    HWND shown = nullptr;
    PollUntil(
        [&] {
            if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
                throw Failure(program.exe + " ended before it showed a window");
            }
            return (shown = VisibleWindowOf(process.dwThreadId)) != nullptr;
        },
        program.label + "'s window");
    return {process, shown, Now() - started};
}

// Closes its window and waits for the process to end.
void Stop(const Program& program, const Running& running) {
    ::PostMessageA(running.window, WM_CLOSE, 0, 0);
    const HANDLE process = running.process.hProcess;
    if (::WaitForSingleObject(process, static_cast<DWORD>(kWaitSeconds * 1000)) != WAIT_OBJECT_0) {
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, INFINITE);
        throw Failure(program.label + " did not end when its window was closed");
    }
    ::CloseHandle(running.process.hThread);
    ::CloseHandle(process);
}

double TimeStart(const Program& program) {
    const Running running = Start(program);
    Stop(program, running);
    return running.startupMs;
}

int Startup(int rounds, const std::vector<Program>& programs) {
    for (const Program& program : programs) {
        TimeStart(program); // the first start of each reads its files from disk
    }
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const Program& program = programs[round % 2 == 0 ? i : programs.size() - 1 - i];
            Sample("startup", program.label, TimeStart(program));
        }
    }
    return 0;
}

// ---- memory at rest -------------------------------------------------------------------------

void MeasureRest(const Program& program) {
    const Running running = Start(program);
    ::PostMessageA(running.window, WM_COMMAND, ID_MESSAGE_HIDE, 0);
    ::Sleep(kSettleMs);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    if (!::GetProcessMemoryInfo(running.process.hProcess,
                                reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                sizeof memory)) {
        throw Failure("cannot read the memory of " + program.label + ": error " +
                      std::to_string(::GetLastError()));
    }
    Sample("rest_private", program.label, static_cast<double>(memory.PrivateUsage) / 1024);
    Sample("rest_working_set", program.label, static_cast<double>(memory.WorkingSetSize) / 1024);
    Stop(program, running);
}

int Rest(int rounds, const std::vector<Program>& programs) {
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            MeasureRest(programs[round % 2 == 0 ? i : programs.size() - 1 - i]);
        }
    }
    return 0;
}

// ---- send ------------------------------------------------------------------------------------

// The gateway's request log, looked at through an open handle.
class RequestLog {
public:
    explicit RequestLog(const std::string& path) : path_(path) {
        handle_ = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            throw Failure("cannot open the gateway's log " + path);
        }
    }
    ~RequestLog() { ::CloseHandle(handle_); }

    // Waits until the log is longer than `before`, looking every kShortPollUs: a look is one
    // fstat, so it costs next to nothing and asks nothing of the Wine server, which the
    // request's own socket I/O goes through.
    void WaitLongerThan(LONGLONG before, const std::string& what) const {
        const double deadline = Now() + kWaitSeconds * 1000.0;
        while (Size() <= before) {
            if (Now() > deadline) {
                throw Failure("timed out waiting for " + what);
            }
            ShortPause();
        }
    }

    LONGLONG Size() const {
        LARGE_INTEGER size{};
        ::GetFileSizeEx(handle_, &size);
        return size.QuadPart;
    }

    // The request target ("/path?query") of the last request logged.
    std::string LastTarget() const {
        std::string text(static_cast<std::size_t>(Size()), '\0');
        LARGE_INTEGER start{};
        ::SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN);
        DWORD read = 0;
        ::ReadFile(handle_, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        text.resize(read);
        const std::string key = "\"request_line\": \"GET ";
        const std::size_t at = text.rfind(key);
        if (at == std::string::npos) {
            throw Failure("no GET request in the gateway's log");
        }
        const std::size_t begin = at + key.size();
        return text.substr(begin, text.find(' ', begin) - begin);
    }

private:
    std::string path_;
    HANDLE handle_;
};

// Something that sends one request when told to, and can be waited for until it has its reply.
class Sender {
public:
    virtual ~Sender() = default;
    virtual void Trigger() = 0;
    virtual void WaitFinished() = 0;
};

// The running program: a posted Send click, then its window idle again with Send enabled.
class ProgramSender : public Sender {
public:
    ProgramSender() {
        window_ = ::FindWindowA(nullptr, kMainWindowTitle);
        if (window_ == nullptr || !::IsWindowVisible(window_)) {
            throw Failure("no visible Wrenquil window");
        }
        send_ = ::GetDlgItem(window_, IDC_SEND);
        if (!::IsWindowEnabled(send_)) {
            throw Failure("Send is greyed: log in and fill the message and number first");
        }
    }
    void Trigger() override {
        // What a mouse click on the button sends its parent.
        ::PostMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_SEND, BN_CLICKED),
                       reinterpret_cast<LPARAM>(send_));
    }
    void WaitFinished() override {
        PollUntil([&] { return ::IsWindowEnabled(send_) != FALSE; }, "Send to be enabled again");
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL,
                                   static_cast<UINT>(kWaitSeconds * 1000), &result)) {
            throw Failure("the Wrenquil window does not answer");
        }
    }

private:
    HWND window_;
    HWND send_;
};

// bare_wininet in its waiting mode, set off by a named event.
class BareSender : public Sender {
public:
    BareSender(const std::string& exe, const std::string& url) {
        const std::string prefix = "WrenquilBench" + std::to_string(::GetCurrentProcessId());
        const std::string names[3] = {prefix + "Go", prefix + "Done", prefix + "Quit"};
        go_ = ::CreateEventA(nullptr, FALSE, FALSE, names[0].c_str());
        done_ = ::CreateEventA(nullptr, FALSE, FALSE, names[1].c_str());
        quit_ = ::CreateEventA(nullptr, TRUE, FALSE, names[2].c_str());
        std::string commandLine =
            "\"" + exe + "\" \"" + url + "\" " + names[0] + " " + names[1] + " " + names[2];
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process)) {
            throw Failure("cannot start " + exe);
        }
        ::CloseHandle(process.hThread);
        process_ = process.hProcess;
    }
    ~BareSender() override {
        ::SetEvent(quit_);
        if (::WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process_, 1);
        }
        for (HANDLE handle : {process_, go_, done_, quit_}) {
            ::CloseHandle(handle);
        }
    }
    void Trigger() override { ::SetEvent(go_); }
    void WaitFinished() override {
        const HANDLE waits[2] = {done_, process_};
        const DWORD woken =
            ::WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(kWaitSeconds * 1000));
        if (woken != WAIT_OBJECT_0) {
            throw Failure(woken == WAIT_OBJECT_0 + 1 ? "bare_wininet failed (see its stderr)"
                                                     : "bare_wininet does not finish");
        }
    }

private:
    HANDLE go_;
    HANDLE done_;
    HANDLE quit_;
    HANDLE process_;
};

// From the trigger to the log growing, in ms; then waits until the sender has its reply.
double TimeSend(Sender& sender, const RequestLog& log, const char* label) {
    const LONGLONG before = log.Size();
    const double started = Now();
    sender.Trigger();
    log.WaitLongerThan(before, std::string("the request from ") + label);
    const double elapsed = Now() - started;
    sender.WaitFinished();
    return elapsed;
}

int Send(int rounds, const std::string& logPath, const std::string& origin,
         const std::string& bareExe, const std::string& urlFile) {
    const RequestLog log(logPath);
    ProgramSender program;
    // Two untimed sends each first: the first loads WinINet's TLS machinery in each process.
    TimeSend(program, log, "wrenquil");
    TimeSend(program, log, "wrenquil");
    const std::string url = origin + log.LastTarget();
    if (FILE* file = std::fopen(urlFile.c_str(), "wb")) {
        std::fprintf(file, "%s\n", url.c_str());
        std::fclose(file);
    }
    BareSender bare(bareExe, url);
    TimeSend(bare, log, "bare_wininet");
    TimeSend(bare, log, "bare_wininet");
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 2; ++i) {
            if ((i == 0) == (round % 2 == 0)) {
                Sample("send", "wrenquil", TimeSend(program, log, "wrenquil"));
            } else {
                Sample("send", "bare_wininet", TimeSend(bare, log, "bare_wininet"));
            }
        }
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: bench_driver startup|rest ROUNDS LABEL=EXE LABEL=EXE\n"
                         "       bench_driver send ROUNDS LOG ORIGIN BARE_EXE URL_FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() >= 3 && (args[0] == "startup" || args[0] == "rest")) {
            std::vector<Program> programs;
            for (std::size_t i = 2; i < args.size(); ++i) {
                const std::size_t equals = args[i].find('=');
                if (equals == std::string::npos) {
                    return Usage();
                }
                programs.push_back({args[i].substr(0, equals), args[i].substr(equals + 1)});
            }
            const int rounds = std::atoi(args[1].c_str());
            return args[0] == "startup" ? Startup(rounds, programs) : Rest(rounds, programs);
        }
        if (args.size() == 6 && args[0] == "send") {
            return Send(std::atoi(args[1].c_str()), args[2], args[3], args[4], args[5]);
        }
        return Usage();
    } catch (const Failure& e) {
        std::fprintf(stderr, "bench_driver: %s\n", e.what());
        return 1;
    }
}
