// Where a Send's time and memory go, inside one process: the real main window (window_host.h),
// logged in, with a message and a number, clicked from its own thread, against its parts.
//
//   bench_sends parts ROUNDS
//       Each round runs these once each (the order rotating from round to round), after two
//       untimed rounds; one line per run on stdout, "parts ROW MILLISECONDS":
//   bench_sends soak SENDS
//       Each of click, transport, window_work and bare runs 20 warm-up sends, then SENDS more;
//       one line per row, "soak ROW KB", the growth of the process's resident memory (as Linux
//       sees it under Wine) per send over those SENDS.
//
//   click         WM_COMMAND BN_CLICKED for Send, to the window: the whole Send, reply included
//   transport     the program's WinInetTransport alone: OpenSession, Fetch, CloseSession
//   bare          the bare WinINet calls (bare_fetch.h) for the same URL
//   window_work   SendToGateway with a transport that answers at once: the window's own part
//                 (lengths, texts, URL, Send greyed and enabled again, status texts, focus)
//   window_before_request   the same, up to the moment the request would go out
//   grey_send     greying the Send button (EnableSendButton(false)) alone
//   status_text   setting the status bar's "Connect to server, please wait..." alone
#include "bare_fetch.h"
#include "core/login_state.h"
#include "gateway/gateway_request.h"
#include "gateway/send_to_gateway.h"
#include "gateway/wininet_transport.h"
#include "res/resource.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "window_host.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace wrenquil {
namespace {

constexpr char kMessage[] = "Running late: see you at the station at half past seven.";
constexpr char kMobile[] = "07700900123";
constexpr char kSentStatus[] = "OK. Message sent";
constexpr int kWarmUpSends = 20;

// Answers at once, and notes when the request would have gone out.
class InstantTransport final : public GatewayTransport {
public:
    bool OpenSession(std::string&) override { return true; }
    FetchOutcome Fetch(const std::string&) override {
        fetchedAt = drive::NowMicroseconds();
        return {FetchOutcome::Kind::Reply, "1|Message sent"};
    }
    void CloseSession() override {}
    double fetchedAt = 0;
};

bool failed = false;

void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_sends: %s\n", what.c_str());
    failed = true;
}

// The kinds of send, each once: whether it ended as the program's Send does.
struct Sends {
    LoginState& login;
    CWrenquilDlg& window;
    HWND dialog;
    std::string url;
    BareTarget target;

    bool Sent() const { return drive::StatusText(dialog, kLoginStatusPart) == kSentStatus; }
    bool Click() const {
        drive::ClickButton(dialog, IDC_SEND);
        return Sent();
    }
    bool Transport() const {
        WinInetTransport transport;
        std::string error;
        if (!transport.OpenSession(error)) {
            return false;
        }
        const FetchOutcome outcome = transport.Fetch(url);
        transport.CloseSession();
        return outcome.kind == FetchOutcome::Kind::Reply;
    }
    bool Bare() const { return BareFetch(target); }
    bool WindowWork(InstantTransport& transport) const {
        SendToGateway(login, window, transport);
        return Sent();
    }
    bool WindowWork() const {
        InstantTransport transport;
        return WindowWork(transport);
    }
};

void Parts(int rounds, const Sends& sends) {
    HWND statusBar = ::GetDlgItem(sends.dialog, IDC_STATUSBAR);
    // Each part times itself and gives milliseconds, or a negative number when it failed.
    using Part = std::pair<const char*, std::function<double()>>;
    const auto timed = [](const std::function<bool()>& action) {
        const double start = drive::NowMicroseconds();
        const bool ok = action();
        return ok ? (drive::NowMicroseconds() - start) / 1000.0 : -1.0;
    };
    const auto alone = [&](const std::function<void()>& action) {
        const double ms = timed([&] {
            action();
            return true;
        });
        sends.window.EnableSendButton(true);
        ::SetWindowTextA(statusBar, kSentStatus);
        return ms;
    };
    const std::vector<Part> parts = {
        {"click", [&] { return timed([&] { return sends.Click(); }); }},
        {"transport", [&] { return timed([&] { return sends.Transport(); }); }},
        {"bare", [&] { return timed([&] { return sends.Bare(); }); }},
        {"window_work", [&] { return timed([&] { return sends.WindowWork(); }); }},
        {"window_before_request",
         [&] {
             InstantTransport transport;
             const double start = drive::NowMicroseconds();
             return sends.WindowWork(transport) ? (transport.fetchedAt - start) / 1000.0 : -1.0;
         }},
        {"grey_send", [&] { return alone([&] { sends.window.EnableSendButton(false); }); }},
        {"status_text",
         [&] {
             return alone([&] { sends.window.SetStatusText(kLoginStatusPart, kConnectingText); });
         }},
    };
    for (int round = -2; round < rounds; ++round) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const Part& part = parts[(i + static_cast<std::size_t>(round + 2)) % parts.size()];
            ::SetWindowTextA(statusBar, ""); // part 0
            const double ms = part.second();
            if (ms < 0) {
                Fail(std::string(part.first) + " did not end in \"" + kSentStatus +
                     "\" (status: \"" + drive::StatusText(sends.dialog, kLoginStatusPart) + "\")");
                return;
            }
            if (round >= 0) {
                std::printf("parts %s %.3f\n", part.first, ms);
                std::fflush(stdout);
            }
        }
    }
}

double ResidentKilobytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

void Soak(int count, const Sends& sends) {
    using Row = std::pair<const char*, std::function<bool()>>;
    const std::vector<Row> rows = {
        {"bare", [&] { return sends.Bare(); }},
        {"transport", [&] { return sends.Transport(); }},
        {"window_work", [&] { return sends.WindowWork(); }},
        {"click", [&] { return sends.Click(); }},
    };
    for (const auto& [name, sendOnce] : rows) {
        double before = 0;
        for (int i = -kWarmUpSends; i < count; ++i) {
            if (i == 0) {
                before = ResidentKilobytes();
            }
            if (!sendOnce()) {
                return Fail(std::string(name) + " failed");
            }
        }
        std::printf("soak %s %.1f\n", name, (ResidentKilobytes() - before) / count);
        std::fflush(stdout);
    }
}

} // namespace
} // namespace wrenquil

int main(int argc, char** argv) {
    using namespace wrenquil;
    const std::string what = argc == 3 ? argv[1] : "";
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if ((what != "parts" && what != "soak") || count < 1) {
        std::fprintf(stderr, "usage: bench_sends parts ROUNDS | soak SENDS\n");
        return 2;
    }
    LoginState login;
    const bool ran = RunMainWindow(login, [&](CWrenquilDlg& window, HWND dialog) {
        login.loggedIn = 1;
        login.userName = "bench";
        login.password = "bench password";
        ::SetWindowTextA(::GetDlgItem(dialog, IDC_MESSAGE), kMessage);
        ::SetWindowTextA(::GetDlgItem(dialog, IDC_MOBILE), kMobile);
        Sends sends{login,
                    window,
                    dialog,
                    BuildGatewayUrl(login.userName, login.password, kMobile, kMessage),
                    {}};
        if (!SplitUrl(sends.url, sends.target)) {
            return Fail("cannot split " + sends.url);
        }
        if (what == "parts") {
            Parts(count, sends);
        } else {
            Soak(count, sends);
        }
    });
    return ran && !failed ? 0 : 1;
}
