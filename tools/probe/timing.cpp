#include "timing.h"

#include "res/resource.h"
#include "window_driver.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace drive {
namespace {

using Args = std::vector<std::string>;

constexpr double WAIT_SECONDS = 30; // anything slower than this is broken, not slow
constexpr DWORD WAIT_MS = static_cast<DWORD>(WAIT_SECONDS * 1000);

double NowMs() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return 1e3 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Sample(const char* figure, const std::string& label, double value) {
    std::printf("%s %s %.3f\n", figure, label.c_str(), value);
    std::fflush(stdout);
}

double WorkingSetKb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS memory{};
    if (!::GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        throw DriveFailure("cannot read a process's memory: error " +
                           std::to_string(::GetLastError()));
    }
    return static_cast<double>(memory.WorkingSetSize) / 1024;
}

// Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR (1359); a second try
// starts the program.
PROCESS_INFORMATION Start(const std::string& exe, std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const std::string folder = exe.substr(0, exe.find_last_of('\\'));
    for (int attempt = 1; !::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr,
                                            FALSE, 0, nullptr, folder.c_str(), &startup, &process);
         ++attempt) {
        if (::GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3) {
            throw DriveFailure("cannot start " + exe + ": error " +
                               std::to_string(::GetLastError()));
        }
    }
    ::CloseHandle(process.hThread);
    return process;
}

// A visible window of the thread, or nullptr.
HWND ShownWindowOf(DWORD threadId) {
    HWND shown = nullptr;
    ::EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM found) {
            const bool visible = ::IsWindowVisible(window) != FALSE;
            *reinterpret_cast<HWND*>(found) = visible ? window : nullptr;
            return visible ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// Each program of ARGS (ROUNDS LABEL=EXE...) once per round, the order reversed every other
// round: started with no settings of the program's, it is given to `measure` with the time
// from its start to a visible window of its first thread, then closed and waited for.
void EachRound(const Args& args,
               const std::function<void(const std::string&, HANDLE, HWND, double)>& measure) {
    for (int round = 0; round < std::atoi(args[0].c_str()); ++round) {
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::string& program = args[round % 2 == 0 ? i : args.size() - i];
            const std::size_t equals = program.find('=');
            const std::string exe = program.substr(equals + 1);
            ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Halvory Limited"); // absent is fine
            const double started = NowMs();
            const PROCESS_INFORMATION process = Start(exe, "\"" + exe + "\"");
            HWND window = nullptr;
            PollUntil(
                WAIT_SECONDS,
                [&] {
                    window = ShownWindowOf(process.dwThreadId);
                    return window != nullptr ||
                           ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
                },
                1);
            if (window == nullptr) {
                throw DriveFailure(exe + " showed no window");
            }
            measure(program.substr(0, equals), process.hProcess, window, NowMs() - started);
            ::PostMessageA(window, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(process.hProcess, WAIT_MS) != WAIT_OBJECT_0) {
                throw DriveFailure(exe + " did not end when its window was closed");
            }
            ::CloseHandle(process.hProcess);
        }
    }
}

// One side of the Send figures: the running program, or the bare calls in a process of their
// own. `trigger` sets a send off, `finish` waits until its reply is in.
struct Sender {
    const char* label;
    HANDLE process;
    std::function<void()> trigger, finish;
};

// The two sides, from ARGS[at]: LOG HOST PORT PATH BARE_EXE (the program's window is found
// first).
class Senders {
public:
    Senders(const Args& args, std::size_t at) {
        log_ = ::CreateFileA(args[at].c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
        if (log_ == INVALID_HANDLE_VALUE) {
            throw DriveFailure("cannot open the gateway's log " + args[at]);
        }
        HWND window = MainWindow();
        HWND send = Control(window, IDC_SEND);
        sides_[0] = {
            "wrenquil",
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessOf(window)),
            [=] { ClickButton(window, IDC_SEND); },
            [=] {
                if (!PollUntil(
                        WAIT_SECONDS, [&] { return ::IsWindowEnabled(send); }, 1)) {
                    throw DriveFailure("Send is not enabled again");
                }
                Send(window, WM_NULL, 0, 0, WAIT_MS);
            }};
        const std::string prefix = "WrenquilBench" + std::to_string(::GetCurrentProcessId());
        std::string commandLine = "\"" + args[at + 4] + "\" " + args[at + 1] + " " + args[at + 2] +
                                  " \"" + args[at + 3] + "\"";
        const char* names[2] = {"Go", "Done"};
        for (int i = 0; i < 2; ++i) {
            events_[i] = ::CreateEventA(nullptr, FALSE, FALSE, (prefix + names[i]).c_str());
            commandLine += " " + prefix + names[i];
        }
        const HANDLE bare = Start(args[at + 4], commandLine).hProcess;
        sides_[1] = {"bare_wininet", bare, [this] { ::SetEvent(events_[0]); },
                     [this, bare] {
                         const HANDLE waits[2] = {events_[1], bare};
                         if (::WaitForMultipleObjects(2, waits, FALSE, WAIT_MS) != WAIT_OBJECT_0) {
                             throw DriveFailure("bare_wininet failed (see its stderr)");
                         }
                     }};
    }
    ~Senders() {
        ::TerminateProcess(sides_[1].process, 0); // it keeps nothing worth ending it gently for
        for (HANDLE handle : {log_, sides_[0].process, sides_[1].process, events_[0], events_[1]}) {
            ::CloseHandle(handle);
        }
    }
    Senders(const Senders&) = delete;
    Senders& operator=(const Senders&) = delete;

    // The program first in even rounds, the bare calls first in odd ones.
    Sender& Turn(int round, int i) { return sides_[(round + i) & 1]; }

    // One send, waited for until its reply is in: the time from the trigger to the gateway's
    // log growing, in ms. A look at the log is one GetFileSizeEx, which asks nothing of the
    // Wine server that the request's own socket goes through, so it is looked at every 0.2 ms
    // (NtDelayExecution: Sleep takes whole milliseconds).
    double SendOnce(Sender& sender) {
        using DelayExecution = LONG(NTAPI*)(BOOLEAN, PLARGE_INTEGER);
        static const auto delay = reinterpret_cast<DelayExecution>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
        LARGE_INTEGER before{}, size{}, pause{};
        pause.QuadPart = -2000; // 100 ns units, negative: relative
        ::GetFileSizeEx(log_, &before);
        const double started = NowMs();
        sender.trigger();
        while (::GetFileSizeEx(log_, &size) && size.QuadPart <= before.QuadPart) {
            if (NowMs() > started + WAIT_MS) {
                throw DriveFailure(std::string("no request from ") + sender.label);
            }
            delay(FALSE, &pause);
        }
        const double elapsed = NowMs() - started;
        sender.finish();
        return elapsed;
    }

private:
    HANDLE log_;
    HANDLE events_[2] = {};
    Sender sides_[2];
};

} // namespace

void TimeStartup(const Args& args) {
    Args once = args;
    once[0] = "1";
    EachRound(once, [](const std::string&, HANDLE, HWND, double) {}); // files read from disk
    EachRound(args, [](const std::string& label, HANDLE, HWND, double ms) {
        Sample("startup", label, ms);
    });
}

void MeasureRest(const Args& args) {
    EachRound(args, [](const std::string& label, HANDLE process, HWND window, double) {
        ::PostMessageA(window, WM_COMMAND, ID_MESSAGE_HIDE, 0);
        ::Sleep(1000);
        Sample("rest_working_set", label, WorkingSetKb(process));
    });
}

void TimeSends(const Args& args) {
    Senders senders(args, 3);
    for (int round = -2; round < std::atoi(args[0].c_str()); ++round) { // two untimed first
        for (int i = 0; i < 2; ++i) {
            Sender& sender = senders.Turn(round, i);
            const double ms = senders.SendOnce(sender);
            if (round >= 0) {
                Sample("send", sender.label, ms);
            }
        }
    }
    const int sends = std::atoi(args[2].c_str());
    for (int round = -1; round < std::atoi(args[1].c_str()); ++round) { // 20 sends first
        for (int i = 0; i < 2; ++i) {
            Sender& sender = senders.Turn(round, i);
            const double before = WorkingSetKb(sender.process);
            for (int send = 0; send < (round < 0 ? 20 : sends); ++send) {
                senders.SendOnce(sender);
            }
            const double after = WorkingSetKb(sender.process);
            Sample("soak_working_set", sender.label, after);
            if (round >= 0) {
                Sample("soak", sender.label, (after - before) / sends);
            }
        }
    }
}

} // namespace drive
