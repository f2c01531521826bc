#include "gateway/gateway_request.h"
#include "gateway/gateway_transport.h"
#include "gateway/send_to_gateway.h"
#include "tests/support/fake_main_window.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

// Notes what the window showed while the request was on its way.
class FakeTransport final : public GatewayTransport {
public:
    FakeTransport(FakeMainWindow& window, bool opens, FetchOutcome outcome)
        : window_(window), opens_(opens), outcome_(std::move(outcome)) {}
    bool OpenSession(std::string& errorText) override {
        errorText = "no session";
        sessionOpen = opens_;
        return opens_;
    }
    FetchOutcome Fetch(const std::string& url) override {
        fetchedUrl = url;
        whileFetching = window_.status[0] + " / Send " + window_.Send();
        return outcome_;
    }
    void CloseSession() override { sessionOpen = false; }

    bool sessionOpen = false;
    std::string fetchedUrl;
    std::string whileFetching;

private:
    FakeMainWindow& window_;
    bool opens_;
    FetchOutcome outcome_;
};

TEST(SendToGateway, ShowsProgressThenTheOutcomeAndGivesSendBack) {
    using Kind = FetchOutcome::Kind;
    const std::string rejected = kUrlRejectedText;
    const std::string connecting = std::string(kConnectingText) + " / Send off";
    struct Case {
        const char* name;
        int loggedIn;
        const char* message;
        const char* mobile;
        bool opens;
        Kind kind;
        const char* reply;
        std::string whileFetching; // empty: nothing was fetched
        std::string status;
        std::vector<std::string> shown;
    } cases[] = {
        {"not logged in", 0, "hi", "07", true, Kind::Reply, "", "", "before", {}},
        {"no message", 1, "", "07", true, Kind::Reply, "", "", "before", {}},
        {"no number", 1, "hi", "", true, Kind::Reply, "", "", "before", {}},
        {"no session", 1, "hi", "07", false, Kind::Reply, "", "", "Exception: no session", {}},
        {"sent",
         1,
         "hi",
         "07",
         true,
         Kind::Reply,
         "1|Message sent",
         connecting,
         "OK. Message sent",
         {}},
        {"refused",
         1,
         "hi",
         "07",
         true,
         Kind::Reply,
         "0|Bad number",
         connecting,
         "FAILED. Bad number",
         {}},
        {"url rejected",
         1,
         "hi",
         "07",
         true,
         Kind::UrlRejected,
         "",
         connecting,
         rejected,
         {"Error: " + rejected}},
        {"network fails",
         1,
         "hi",
         "07",
         true,
         Kind::Failed,
         "error 12057",
         connecting,
         "Exception: error 12057",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoginState state{"ann", "p&w", "old", c.loggedIn};
        FakeMainWindow window(state, true);
        window.messageText = c.message;
        window.mobileText = c.mobile;
        window.status[0] = "before";
        FakeTransport transport(window, c.opens, FetchOutcome{c.kind, c.reply});
        std::string sendWhenInputHandled = "not handled";
        window.onInputMadeWhileBusy = [&] { sendWhenInputHandled = window.Send(); };

        SendToGateway(state, window, transport);

        const bool fetched = !c.whileFetching.empty();
        EXPECT_EQ(transport.whileFetching, c.whileFetching);
        EXPECT_EQ(window.status[0], c.status);
        EXPECT_EQ(window.shown, c.shown);
        EXPECT_FALSE(transport.sessionOpen);
        if (fetched) {
            EXPECT_EQ(transport.fetchedUrl, BuildGatewayUrl("ann", "p&w", c.mobile, c.message));
            // Input queued during the send meets a disabled Send; then Send comes back.
            EXPECT_EQ(sendWhenInputHandled, "off");
            EXPECT_EQ(window.Send(), "on");
            EXPECT_TRUE(window.messageFocused);
        }
        // The number in the box becomes the one in use once a session was opened.
        EXPECT_EQ(state.mobileNumber, fetched ? c.mobile : "old");
    }
}

} // namespace
} // namespace wrenquil
