// Memory over many sends, inside one process: the real main window (window_host.h), logged in,
// with a message and a number, against the bare WinINet calls and the send's parts.
//
//   bench_send_soak SENDS
//
// Each row runs 20 warm-up sends, then SENDS more; it prints one line, "soak ROW KB", the growth
// of the process's resident memory (as Linux sees it under Wine) per send over those SENDS:
//   bare          the bare WinINet calls (bare_fetch.h) for the same URL, before the window is
//                 made
//   transport     the program's WinInetTransport alone: OpenSession, Fetch, CloseSession
//   window_work   SendToGateway with a transport that answers at once: the window's own part
//   click         WM_COMMAND BN_CLICKED for Send, to the window: the whole Send
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
constexpr int kWarmUpSends = 20;

class InstantTransport final : public GatewayTransport {
public:
    bool OpenSession(std::string&) override { return true; }
    FetchOutcome Fetch(const std::string&) override {
        return {FetchOutcome::Kind::Reply, "1|Message sent"};
    }
    void CloseSession() override {}
};

double ResidentKilobytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

bool SoakRow(const char* name, int sends, const std::function<bool()>& sendOnce) {
    double before = 0;
    for (int i = -kWarmUpSends; i < sends; ++i) {
        if (i == 0) {
            before = ResidentKilobytes();
        }
        if (!sendOnce()) {
            std::fprintf(stderr, "bench_send_soak: %s failed\n", name);
            return false;
        }
    }
    std::printf("soak %s %.1f\n", name, (ResidentKilobytes() - before) / sends);
    std::fflush(stdout);
    return true;
}

std::string SoakUrl(const LoginState& login) {
    return BuildGatewayUrl(login.userName, login.password, kMobile, kMessage);
}

bool SoakBare(int sends, const LoginState& login) {
    BareTarget target;
    if (!SplitUrl(SoakUrl(login), target)) {
        std::fprintf(stderr, "bench_send_soak: cannot split %s\n", SoakUrl(login).c_str());
        return false;
    }
    return SoakRow("bare", sends, [&] { return BareFetch(target, nullptr); });
}

bool Soak(int sends, LoginState& login, CWrenquilDlg& window, HWND dialog) {
    ::SetWindowTextA(::GetDlgItem(dialog, IDC_MESSAGE), kMessage);
    ::SetWindowTextA(::GetDlgItem(dialog, IDC_MOBILE), kMobile);
    HWND send = drive::Control(dialog, IDC_SEND);
    const std::string url = SoakUrl(login);
    using Row = std::pair<const char*, std::function<bool()>>;
    const std::vector<Row> rows = {
        {"transport",
         [&] {
             WinInetTransport transport;
             std::string error;
             if (!transport.OpenSession(error)) {
                 return false;
             }
             const bool replied = transport.Fetch(url).kind == FetchOutcome::Kind::Reply;
             transport.CloseSession();
             return replied;
         }},
        {"window_work",
         [&] {
             InstantTransport transport;
             SendToGateway(login, window, transport);
             return true;
         }},
        {"click",
         [&] {
             drive::ClickButton(dialog, IDC_SEND);
             return ::IsWindowEnabled(send) != FALSE;
         }},
    };
    for (const auto& [name, sendOnce] : rows) {
        if (!SoakRow(name, sends, sendOnce)) {
            return false;
        }
    }
    return true;
}

} // namespace
} // namespace wrenquil

int main(int argc, char** argv) {
    const int sends = argc > 1 ? std::atoi(argv[1]) : 300;
    if (sends < 1) {
        std::fprintf(stderr, "usage: bench_send_soak [SENDS]\n");
        return 2;
    }
    wrenquil::LoginState login;
    bool soaked = false;
    const bool ran =
        wrenquil::RunMainWindow(login, [&](wrenquil::CWrenquilDlg& window, HWND dialog) {
            login.loggedIn = 1;
            login.userName = "bench";
            login.password = "bench password";
            soaked =
                wrenquil::SoakBare(sends, login) && wrenquil::Soak(sends, login, window, dialog);
        });
    return ran && soaked ? 0 : 1;
}
