#include "gateway/gateway_request.h"
#include "gateway/gateway_transport.h"
#include "gateway/send_to_gateway.h"
#include "tests/support/case_name.h"
#include "tests/support/recording_main_window.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

using Calls = std::vector<std::string>;

// Writes its calls into the window's record, so the order across both is checked.
class FakeTransport final : public GatewayTransport {
public:
    FakeTransport(Calls& calls, bool opens, FetchOutcome outcome)
        : calls_(calls), opens_(opens), outcome_(std::move(outcome)) {}
    bool OpenSession(std::string& errorText) override {
        calls_.push_back("open session");
        errorText = "no session";
        return opens_;
    }
    FetchOutcome Fetch(const std::string& url) override {
        calls_.push_back("fetch");
        fetchedUrl = url;
        return outcome_;
    }
    void CloseSession() override { calls_.push_back("close session"); }
    std::string fetchedUrl;

private:
    Calls& calls_;
    bool opens_;
    FetchOutcome outcome_;
};

struct SendCase {
    const char* name;
    int loggedIn;
    std::string message;
    std::string mobile;
    bool sessionOpens;
    FetchOutcome outcome;
    Calls expected;
};

void PrintTo(const SendCase& c, std::ostream* os) {
    *os << c.name;
}

const Calls kUpToFetch{
    "n",           "m",          "open session",  "message text",
    "mobile text", "button off", "menu Send off", "status0 Connect to server, please wait...",
    "fetch"};

Calls Then(Calls calls, const Calls& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}

const Calls kEnding{"queued input", "button on", "menu Send on", "focus message", "close session"};

class SendToGatewayTest : public testing::TestWithParam<SendCase> {};

TEST_P(SendToGatewayTest, ShowsProgressThenTheOutcomeAndGivesTheButtonBack) {
    const SendCase& c = GetParam();
    LoginState state{"ann", "p&w", "old", c.loggedIn};
    RecordingMainWindow window(state);
    window.messageText = c.message;
    window.messageLength = static_cast<int>(c.message.size());
    window.mobileText = c.mobile;
    window.mobileLength = static_cast<int>(c.mobile.size());
    window.sendEnabled = true;
    FakeTransport transport(window.calls, c.sessionOpens, c.outcome);

    SendToGateway(state, window, transport);

    EXPECT_EQ(window.calls, c.expected);
    EXPECT_TRUE(window.sendEnabled);
    EXPECT_EQ(window.messageText, c.message); // the message is never cleared
    const bool fetched = !transport.fetchedUrl.empty();
    if (fetched) {
        EXPECT_EQ(transport.fetchedUrl, BuildGatewayUrl("ann", "p&w", c.mobile, c.message));
    }
    // The number in the box becomes the one in use once a session was opened.
    EXPECT_EQ(state.mobileNumber, fetched ? c.mobile : "old");
}

std::vector<SendCase> SendCases() {
    using Kind = FetchOutcome::Kind;
    const std::string rejected = kUrlRejectedText;
    std::vector<SendCase> cases;
    auto add = [&](const char* name, int loggedIn, const char* message, const char* mobile,
                   bool opens, Kind kind, const char* text, Calls expected) {
        cases.push_back(SendCase{name, loggedIn, message, mobile, opens, FetchOutcome{kind, text},
                                 std::move(expected)});
    };
    add("NotLoggedIn", 0, "hi", "07", true, Kind::Reply, "", {"n", "m"});
    add("NoMessage", 1, "", "07", true, Kind::Reply, "", {"n", "m"});
    add("NoNumber", 1, "hi", "", true, Kind::Reply, "", {"n", "m"});
    add("SessionFails", 1, "hi", "07", false, Kind::Reply, "",
        {"n", "m", "open session", "status0 Exception: no session"});
    add("Sent", 1, "hi", "07", true, Kind::Reply, "1|Message sent",
        Then(Then(kUpToFetch, {"status0 OK. Message sent"}), kEnding));
    add("Refused", 1, "hi", "07", true, Kind::Reply, "0|Bad number",
        Then(Then(kUpToFetch, {"status0 FAILED. Bad number"}), kEnding));
    add("UrlRejected", 1, "hi", "07", true, Kind::UrlRejected, "",
        Then(Then(kUpToFetch, {"message box Error: " + rejected, "status0 " + rejected}), kEnding));
    add("NetworkFails", 1, "hi", "07", true, Kind::Failed, "error 12057",
        Then(Then(kUpToFetch, {"status0 Exception: error 12057"}), kEnding));
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, SendToGatewayTest, testing::ValuesIn(SendCases()), CaseName());

} // namespace
} // namespace wrenquil
