// Where a Send's time goes, inside one process: the real main window (window_host.h), logged
// in, with a message and a number, clicked from its own thread, against its parts.
//
//   bench_send_parts ROUNDS
//
// Each round runs these once each (the order rotating from round to round), after two untimed
// rounds; one line per run on stdout, "parts ROW MILLISECONDS":
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
    std::fprintf(stderr, "bench_send_parts: %s\n", what.c_str());
    failed = true;
}

void Measure(int rounds, LoginState& login, CWrenquilDlg& window, HWND dialog) {
    ::SetWindowTextA(::GetDlgItem(dialog, IDC_MESSAGE), kMessage);
    ::SetWindowTextA(::GetDlgItem(dialog, IDC_MOBILE), kMobile);
    const std::string url = BuildGatewayUrl(login.userName, login.password, kMobile, kMessage);
    BareTarget target;
    if (!SplitUrl(url, target)) {
        Fail("cannot split " + url);
        return;
    }

    // Each part times itself and gives milliseconds, or a negative number when it failed.
    using Part = std::pair<const char*, std::function<double()>>;
    const auto timed = [](const std::function<bool()>& action) {
        const double start = drive::NowMicroseconds();
        const bool ok = action();
        return ok ? (drive::NowMicroseconds() - start) / 1000.0 : -1.0;
    };
    const std::vector<Part> parts = {
        {"click",
         [&] {
             return timed([&] {
                 drive::ClickButton(dialog, IDC_SEND);
                 return drive::StatusText(dialog, kLoginStatusPart) == kSentStatus;
             });
         }},
        {"transport",
         [&] {
             return timed([&] {
                 WinInetTransport transport;
                 std::string error;
                 if (!transport.OpenSession(error)) {
                     return false;
                 }
                 const FetchOutcome outcome = transport.Fetch(url);
                 transport.CloseSession();
                 return outcome.kind == FetchOutcome::Kind::Reply;
             });
         }},
        {"bare", [&] { return timed([&] { return BareFetch(target, nullptr); }); }},
        {"window_work",
         [&] {
             return timed([&] {
                 InstantTransport transport;
                 SendToGateway(login, window, transport);
                 return drive::StatusText(dialog, kLoginStatusPart) == kSentStatus;
             });
         }},
        {"window_before_request",
         [&] {
             InstantTransport transport;
             const double start = drive::NowMicroseconds();
             SendToGateway(login, window, transport);
             return drive::StatusText(dialog, kLoginStatusPart) == kSentStatus
                        ? (transport.fetchedAt - start) / 1000.0
                        : -1.0;
         }},
        {"grey_send",
         [&] {
             const double ms = timed([&] {
                 window.EnableSendButton(false);
                 return true;
             });
             window.EnableSendButton(true);
             ::SetWindowTextA(::GetDlgItem(dialog, IDC_STATUSBAR), kSentStatus);
             return ms;
         }},
        {"status_text",
         [&] {
             const double ms = timed([&] {
                 window.SetStatusText(kLoginStatusPart, kConnectingText);
                 return true;
             });
             ::SetWindowTextA(::GetDlgItem(dialog, IDC_STATUSBAR), kSentStatus);
             return ms;
         }},
    };
    for (int round = -2; round < rounds; ++round) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const Part& part = parts[(i + static_cast<std::size_t>(round + 2)) % parts.size()];
            ::SetWindowTextA(::GetDlgItem(dialog, IDC_STATUSBAR), ""); // part 0
            const double ms = part.second();
            if (ms < 0) {
                Fail(std::string(part.first) + " did not end in \"" + kSentStatus +
                     "\" (status: \"" + drive::StatusText(dialog, kLoginStatusPart) + "\")");
                return;
            }
            if (round >= 0) {
                std::printf("parts %s %.3f\n", part.first, ms);
                std::fflush(stdout);
            }
        }
    }
}

} // namespace
} // namespace wrenquil

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: bench_send_parts [ROUNDS]\n");
        return 2;
    }
    wrenquil::LoginState login;
    const bool ran =
        wrenquil::RunMainWindow(login, [&](wrenquil::CWrenquilDlg& window, HWND dialog) {
            login.loggedIn = 1;
            login.userName = "bench";
            login.password = "bench password";
            wrenquil::Measure(rounds, login, window, dialog);
        });
    return ran && !wrenquil::failed ? 0 : 1;
}
