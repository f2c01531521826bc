#include "timing.h"

#include "res/resource.h"
#include "window_driver.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace drive {
namespace {

using Args = std::vector<std::string>;

constexpr char kSettingsKey[] = "Software\\Halvory Limited";
constexpr DWORD kPollMs = 1;           // between two looks at what is being waited for
constexpr LONGLONG kShortPollUs = 200; // the same, where a look costs no server request
constexpr double kWaitSeconds = 30.0;  // anything slower than this is broken, not slow
constexpr DWORD kSettleMs = 1000;      // for a program at rest after its last command

double NowMs() {
    return NowMicroseconds() / 1000.0;
}

template <typename Condition> void WaitFor(const std::string& what, Condition condition) {
    if (!PollUntil(kWaitSeconds, condition, kPollMs)) {
        throw DriveFailure("timed out waiting for " + what);
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

void Sample(const char* figure, const std::string& label, double value) {
    std::printf("%s %s %.3f\n", figure, label.c_str(), value);
    std::fflush(stdout);
}

// ---- start-up and memory at rest ------------------------------------------------------------

struct Program {
    std::string label;
    std::string exe;
};

std::vector<Program> ParsePrograms(const Args& args) {
    std::vector<Program> programs;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::size_t equals = args[i].find('=');
        if (equals == std::string::npos) {
            throw DriveFailure("not LABEL=EXE: '" + args[i] + "'");
        }
        programs.push_back({args[i].substr(0, equals), args[i].substr(equals + 1)});
    }
    return programs;
}

// Each program once per round, the order reversed every other round.
template <typename Measure> void EachRound(const Args& args, Measure measure) {
    const std::vector<Program> programs = ParsePrograms(args);
    const int rounds = std::atoi(args[0].c_str());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            measure(programs[round % 2 == 0 ? i : programs.size() - 1 - i]);
        }
    }
}

// A visible window of the thread (the new process's first thread, which creates the window
// in every program started here); each look costs Wine only a few server requests.
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

// A program started with no settings of its own, shown; closed and waited for at the end.
class Running {
public:
    explicit Running(const Program& program) : label_(program.label) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); // absent is fine
        std::string commandLine = "\"" + program.exe + "\"";
        const std::string directory = program.exe.substr(0, program.exe.find_last_of("\\/"));
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        double started = NowMs();
        // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR (1359); a second
        // try starts the program, and the round times that try alone.
        for (int attempt = 1;; ++attempt) {
            started = NowMs();
            if (::CreateProcessA(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                 0, nullptr, directory.c_str(), &startup, &process_)) {
                break;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
                throw DriveFailure("cannot start " + program.exe + ": error " +
                                   std::to_string(error));
            }
        }
        WaitFor(label_ + "'s window", [&] {
            if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) {
                throw DriveFailure(program.exe + " ended before it showed a window");
            }
            return (window_ = VisibleWindowOf(process_.dwThreadId)) != nullptr;
        });
        startupMs_ = NowMs() - started;
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    void Close() {
        ::PostMessageA(window_, WM_CLOSE, 0, 0);
        const HANDLE process = process_.hProcess;
        const bool ended = ::WaitForSingleObject(
                               process, static_cast<DWORD>(kWaitSeconds * 1000)) == WAIT_OBJECT_0;
        if (!ended) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, INFINITE);
        }
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process);
        if (!ended) {
            throw DriveFailure(label_ + " did not end when its window was closed");
        }
    }

    HWND Window() const { return window_; }
    HANDLE Process() const { return process_.hProcess; }
    double StartupMs() const { return startupMs_; }

private:
    std::string label_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    double startupMs_ = 0;
};

// ---- send ------------------------------------------------------------------------------------

// The gateway's request log, looked at through an open handle.
class RequestLog {
public:
    explicit RequestLog(const std::string& path) {
        handle_ = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            throw DriveFailure("cannot open the gateway's log " + path);
        }
    }
    ~RequestLog() { ::CloseHandle(handle_); }
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    // Waits until the log is longer than `before`, looking every kShortPollUs: a look is one
    // fstat, so it costs next to nothing and asks nothing of the Wine server, which the
    // request's own socket I/O goes through.
    void WaitLongerThan(LONGLONG before, const std::string& what) const {
        const double deadline = NowMs() + kWaitSeconds * 1000.0;
        while (Size() <= before) {
            if (NowMs() > deadline) {
                throw DriveFailure("timed out waiting for " + what);
            }
            ShortPause();
        }
    }

    LONGLONG Size() const {
        LARGE_INTEGER size{};
        ::GetFileSizeEx(handle_, &size);
        return size.QuadPart;
    }

private:
    HANDLE handle_;
};

// Something that sends one request when told to, and can be waited for until it has its reply.
class Sender {
public:
    virtual ~Sender() = default;
    virtual void Trigger() = 0;
    virtual void WaitFinished() = 0;
};

// The running program: a Send click, then its window idle again with Send enabled.
class ProgramSender : public Sender {
public:
    ProgramSender() : window_(MainWindow()), send_(Control(window_, IDC_SEND)) {}
    void Trigger() override { ClickButton(window_, IDC_SEND); }
    void WaitFinished() override {
        WaitFor("Send to be enabled again", [&] { return ::IsWindowEnabled(send_) != FALSE; });
        drive::Send(window_, WM_NULL, 0, 0, static_cast<UINT>(kWaitSeconds * 1000));
    }

private:
    HWND window_;
    HWND send_;
};

// The bare WinINet calls in a process of their own, waiting for a named event.
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
            throw DriveFailure("cannot start " + exe);
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
            throw DriveFailure(woken == WAIT_OBJECT_0 + 1 ? "bare_wininet failed (see its stderr)"
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
double TimeOneSend(Sender& sender, const RequestLog& log, const char* label) {
    const LONGLONG before = log.Size();
    const double started = NowMs();
    sender.Trigger();
    log.WaitLongerThan(before, std::string("the request from ") + label);
    const double elapsed = NowMs() - started;
    sender.WaitFinished();
    return elapsed;
}

} // namespace

void TimeStartup(const Args& args) {
    for (const Program& program : ParsePrograms(args)) {
        Running(program).Close(); // the first start of each reads its files from disk
    }
    EachRound(args, [](const Program& program) {
        Running running(program);
        running.Close();
        Sample("startup", program.label, running.StartupMs());
    });
}

void MeasureRest(const Args& args) {
    EachRound(args, [](const Program& program) {
        Running running(program);
        ::PostMessageA(running.Window(), WM_COMMAND, ID_MESSAGE_HIDE, 0);
        ::Sleep(kSettleMs);
        PROCESS_MEMORY_COUNTERS_EX memory{};
        if (!::GetProcessMemoryInfo(running.Process(),
                                    reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                    sizeof memory)) {
            throw DriveFailure("cannot read the memory of " + program.label + ": error " +
                               std::to_string(::GetLastError()));
        }
        Sample("rest_private", program.label, static_cast<double>(memory.PrivateUsage) / 1024);
        Sample("rest_working_set", program.label,
               static_cast<double>(memory.WorkingSetSize) / 1024);
        running.Close();
    });
}

void TimeSend(const Args& args) {
    const int rounds = std::atoi(args[0].c_str());
    const RequestLog log(args[1]);
    ProgramSender program;
    // Two untimed sends each first: the first loads WinINet's TLS machinery in each process.
    TimeOneSend(program, log, "wrenquil");
    TimeOneSend(program, log, "wrenquil");
    BareSender bare(args[3], args[2]);
    TimeOneSend(bare, log, "bare_wininet");
    TimeOneSend(bare, log, "bare_wininet");
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 2; ++i) {
            if ((i == 0) == (round % 2 == 0)) {
                Sample("send", "wrenquil", TimeOneSend(program, log, "wrenquil"));
            } else {
                Sample("send", "bare_wininet", TimeOneSend(bare, log, "bare_wininet"));
            }
        }
    }
}

} // namespace drive
