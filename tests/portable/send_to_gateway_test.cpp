#include "gateway/gateway_request.h"
#include "gateway/gateway_transport.h"
#include "gateway/send_to_gateway.h"
#include "tests/support/fake_main_window.h"

#include <gtest/gtest.h>

#include <tuple>

namespace wrenquil {
namespace {

// Notes the session's life, and what the window showed while the request was on its way.
struct FakeTransport final : public GatewayTransport {
    FakeTransport(const FakeMainWindow& w, bool o, FetchOutcome f)
        : window(&w), opens(o), outcome(std::move(f)) {}
    bool OpenSession(std::string& errorText) override {
        errorText = "no session";
        log += opens ? "open, " : "";
        return opens;
    }
    FetchOutcome Fetch(const std::string&) override {
        log += window->status[0] + " / Send " + window->Send() + ", ";
        return outcome;
    }
    void CloseSession() override { log += "closed"; }

    const FakeMainWindow* window;
    bool opens;
    FetchOutcome outcome;
    std::string log;
};

// What the send does: "the session and what the window showed while fetching|status after|
// message boxes|Send when the input queued during the send is handled|number in use".
TEST(SendToGateway, ShowsProgressThenTheOutcomeAndGivesSendBack) {
    using Kind = FetchOutcome::Kind;
    const std::string rejected = kUrlRejectedText;
    const std::string connecting = "open, " + std::string(kConnectingText) + " / Send off, closed|";
    // Logged in, the message, the number, whether a session opens, the fetch's outcome, and
    // what the send did.
    const std::tuple<const char*, int, const char*, const char*, bool, Kind, const char*,
                     std::string>
        cases[] = {
            // clang-format off
        {"not logged in", 0, "hi", "07", true, Kind::Reply, "", "|||not handled|old"},
        {"no message", 1, "", "07", true, Kind::Reply, "", "|||not handled|old"},
        {"no number", 1, "hi", "", true, Kind::Reply, "", "|||not handled|old"},
        {"no session", 1, "hi", "07", false, Kind::Reply, "", "|Exception: no session||not handled|old"},
        {"sent", 1, "hi", "07", true, Kind::Reply, "1|Message sent", connecting + "OK. Message sent||off|07"},
        {"url rejected", 1, "hi", "07", true, Kind::UrlRejected, "",
            connecting + rejected + "|Error: " + rejected + "|off|07"},
        {"network fails", 1, "hi", "07", true, Kind::Failed, "error 12057", connecting + "Exception: error 12057||off|07"},
            // clang-format on
        };
    for (const auto& [name, loggedIn, message, mobile, opens, kind, reply, seen] : cases) {
        LoginState state{"ann", "p&w", "old", loggedIn};
        FakeMainWindow window(state, true, message, mobile);
        FakeTransport transport(window, opens, {kind, reply});

        SendToGateway(state, window, transport);

        EXPECT_EQ(transport.log + "|" + window.status[0] + "|" + window.shown + "|" +
                      window.sendWhenBusy + "|" + state.mobileNumber,
                  seen)
            << name;
        EXPECT_EQ(window.Send(), "on") << name;
    }
}

} // namespace
} // namespace wrenquil
