// The WinINet side of a send: error texts, and whole requests against the local test gateway
// (started by scripts/wine-env.sh --gateway; skipped without it).
#include "framework/internet_error_text.h"
#include "gateway/wininet_transport.h"
#include "tests/windows/gateway_fixture.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace wrenquil {
namespace {

using Kind = FetchOutcome::Kind;

// Failures are compared by their code, whatever Wine's wording of it; a code without any text
// is shown as its number.
TEST(InternetErrorText, GivesTheTextOfWinInetOrTheSystemOrTheCode) {
    EXPECT_NE(InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT), "error 12029");
    EXPECT_NE(InternetErrorText(ERROR_FILE_NOT_FOUND), "error 2");
    EXPECT_EQ(InternetErrorText(0xFFFF), "error 65535");
}

enum class Where { GATEWAY, UNTRUSTED, CLOSED_PORT };

struct FetchCase {
    const char* name;
    const char* scenario;
    Kind kind;
    std::string text; // the reply text, or the failure's
    Where where = Where::GATEWAY;
    std::size_t requests = 1; // that reach the gateway
    std::string path = "/wrenquil/index.php?txt=Hi";
    friend void PrintTo(const FetchCase& c, std::ostream* os) { *os << c.name; }
};

class GatewayFetchTest : public testing::TestWithParam<FetchCase> {};

// One send as the program makes it, a session of its own around one fetch, on a thread of its
// own: a fetch that never ends fails the test instead of holding up the suite (its thread stays
// blocked until the process ends). A reply that never ends is cut at a deadline of 2 s, given in
// place of the program's 60 s; a gateway that never answers, at a receive time-out of 2 s.
TEST_P(GatewayFetchTest, GivesTheJoinedReplyOrTheFailureOfAtMostOneRequest) {
    const FetchCase& c = GetParam();
    const auto gateway = TestGateway::FromEnvironment();
    if (!gateway) {
        GTEST_SKIP() << "no test gateway: run through scripts/wine-env.sh --gateway";
    }
    ASSERT_TRUE(gateway->Use(c.scenario));
    const int port = c.where == Where::UNTRUSTED     ? gateway->untrustedPort
                     : c.where == Where::CLOSED_PORT ? 1 // nothing listens there
                                                     : gateway->port;
    const std::string url = "https://localhost:" + std::to_string(port) + c.path;
    const std::size_t before = gateway->Requests();

    auto done = std::make_shared<std::promise<FetchOutcome>>();
    std::future<FetchOutcome> fetched = done->get_future();
    std::thread([done, url] {
        WinInetTransport transport(WinInetTransport::DEFAULT_TIMEOUT_MS, 2000,
                                   std::chrono::seconds(2));
        std::string error;
        const auto session = transport.OpenSession(error);
        done->set_value(session ? session->Fetch(url) : FetchOutcome{Kind::Failed, error});
    }).detach();
    ASSERT_EQ(fetched.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "still fetching after 20 s";

    const FetchOutcome outcome = fetched.get();
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_TRUE(outcome.text == c.text)
        << outcome.text.size() << " bytes: " << outcome.text.substr(0, 200);
    EXPECT_EQ(gateway->Requests(), before + c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, GatewayFetchTest,
    testing::Values(
        FetchCase{"sent", "ok", Kind::Reply, "1|Message sent"},
        // Not followed: the redirect's own body is the reply.
        FetchCase{"redirect", "redirect", Kind::Reply, "1|Redirect body"},
        FetchCase{"lines_joined", "lines", Kind::Reply, "1|SentRef 7"},
        FetchCase{"closed_without_reply", "close", Kind::Reply, ""},
        // A body without end is read up to 1 MiB, one that trickles up to the deadline; what
        // came is the reply.
        FetchCase{"endless_body_cut_at_1_MiB", "flood", Kind::Reply,
                  "1|" + std::string((1 << 20) - 2, 'x')},
        FetchCase{"trickle_cut_at_the_deadline", "trickle", Kind::Reply, "1|Slow reply"},
        // The part of the body that came is dropped.
        FetchCase{"reset_mid_body", "reset", Kind::Failed,
                  InternetErrorText(ERROR_INTERNET_CONNECTION_ABORTED)},
        // TLS done and the request sent, then nothing: only the receive time-out ends the wait.
        FetchCase{"gateway_never_answers", "silent", Kind::Failed,
                  InternetErrorText(ERROR_INTERNET_CONNECTION_ABORTED)},
        FetchCase{"refused_port", "ok", Kind::Failed,
                  InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT), Where::CLOSED_PORT, 0},
        FetchCase{"self_signed_certificate", "ok", Kind::Failed,
                  InternetErrorText(ERROR_INTERNET_INVALID_CA), Where::UNTRUSTED, 0},
        // A URL longer than 2083 characters is taken as long as its path fits in 2083.
        FetchCase{"path_of_2083", "ok", Kind::Reply, "1|Message sent", Where::GATEWAY, 1,
                  "/" + std::string(2082, 'a')},
        FetchCase{"path_of_2084_never_sent", "ok", Kind::UrlRejected, "", Where::GATEWAY, 0,
                  "/" + std::string(2083, 'a')},
        FetchCase{"too_long_query_never_sent", "ok", Kind::UrlRejected, "", Where::GATEWAY, 0,
                  "/wrenquil/index.php?txt=" + std::string(3000, 'a')}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace wrenquil
