#include "core/code_page.h"
#include "gateway/gateway_request.h"
#include "gateway/reply_reader.h"
#include "gateway/send_to_gateway.h"
#include "tests/support/code_page_932.h"
#include "tests/support/fake_main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace wrenquil {
namespace {

// Only letters, digits and "_" are kept, a blank becomes "+", and a text ends at a zero byte.
TEST(BuildGatewayUrl, PutsFourEncodedValuesInOrder) {
    const std::string base = std::string("https://") + GATEWAY_HOST + "/wrenquil/index.php";
    EXPECT_EQ(BuildGatewayUrl("Az09_ b", "p&w=d#%+", "+44 -.~*!/?",
                              std::string("1&txt=x\r\n\x7F\x80\xFF\0y", 14)),
              base + "?usr=Az09_+b&pwd=p%26w%3Dd%23%25%2B&mob=%2B44+%2D%2E%7E%2A%21%2F%3F" +
                  "&txt=1%26txt%3Dx%0D%0A%7F%80%FF");
}

// Hands out the body at most `piece` bytes at a time, as the network does.
struct ChunkedSource final : public ByteSource {
    ChunkedSource(std::string text, std::size_t most) : body(std::move(text)), piece(most) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        const std::size_t size = body.copy(buffer, std::min(capacity, piece));
        body.erase(0, size);
        return size;
    }
    std::string body;
    std::size_t piece;
};

// A reply is its lines joined, without any CR or LF, however the network cuts it up and even
// where a line break straddles the end of the reader's buffer. Only a marker followed by text
// is replaced.
TEST(GatewayReply, JoinsTheLinesOfAnyBodyAndReplacesOnlyAMarkerFollowedByText) {
    const std::string longLine(4093, 'x'); // the CR ends the first buffer
    const std::string body = "1|" + longLine + "\r\nRef 7\r\n\r\nla\rst";
    for (const std::size_t piece : {1, 3, 4096, 100000}) {
        ChunkedSource source(body, piece);
        EXPECT_EQ(ReadReplyText(source, body.size(), Cp932LeadByte), "1|" + longLine + "Ref 7last")
            << piece;
    }
    EXPECT_EQ(InterpretGatewayReply("0|Bad number"), "FAILED. Bad number");
    EXPECT_EQ(InterpretGatewayReply(std::string("1|") + SO), std::string("OK. ") + SO);
    EXPECT_EQ(InterpretGatewayReply("1|0|x"), "OK. 0|x");
    for (const char* reply : {"1|", "0|", "1", "", "2|x", " 1|x"}) {
        EXPECT_EQ(InterpretGatewayReply(reply), reply);
    }
}

// A body cut short at its limit keeps its bytes as they came, but for a character cut in half.
// In the Japanese code page "ャ" is 83 83: read from the start, its trail byte is no lead byte.
TEST(GatewayReply, ACutBodyEndsOnAWholeCharacter) {
    const std::string body = std::string("1|\x83\x83") + SO + "\r\n" + SO;
    const std::pair<std::size_t, std::string> cases[] = {{3, "1|"},
                                                         {4, "1|\x83\x83"},
                                                         {5, "1|\x83\x83"},
                                                         {6, "1|\x83\x83" + std::string(SO)},
                                                         {9, "1|\x83\x83" + std::string(SO)},
                                                         {10, "1|\x83\x83" + std::string(SO) + SO}};
    for (const auto& [limit, text] : cases) {
        ChunkedSource source(body, 2);
        EXPECT_EQ(ReadReplyText(source, limit, Cp932LeadByte), text) << limit;
    }
}

// What the send does: "the session, what the window showed while fetching, and the message
// boxes|status after|Send when the input queued during the send is handled|number in use|Send
// afterwards|what the gateway was asked".
TEST(SendToGateway, ShowsProgressThenTheOutcomeAndGivesSendBack) {
    const std::string rejected = URL_REJECTED_TEXT;
    const std::string fetching = "open, " + std::string(CONNECTING_TEXT) + " / Send off, ";
    const std::string asked = "|/wrenquil/index.php?usr=ann&pwd=p%26w&mob=%2B44+7&txt=hi";
    using Answer = std::optional<FetchOutcome>; // none: no session opens
    // The message and the number, the box the code page cannot hold, the gateway's answer, and
    // what the send did; logged in (a recount while logged out shows Send is not allowed then).
    const std::tuple<const char*, const char*, const char*, const char*, Answer, std::string>
        cases[] = {
            // clang-format off
        {"no message", "", "+44 7", "", std::nullopt, "||not handled|old|Send on|"},
        {"no number", "hi", "", "", std::nullopt, "||not handled|old|Send on|"},
        {"no session", "hi", "+44 7", "", std::nullopt, "|Exception: no session|not handled|old|Send on|"},
        {"message the code page cannot hold", "hi", "+44 7", "message", Answer{},
            "Info: " + NotInCodePageText("message") + "||not handled|old|Send on|"},
        {"number the code page cannot hold", "hi", "+44 7", "number", Answer{},
            "Info: " + NotInCodePageText("mobile number") + "||not handled|old|Send on|"},
        {"sent", "hi", "+44 7", "", FetchOutcome{FetchOutcome::Kind::Reply, "1|Message sent"},
            fetching + "closed|OK. Message sent|off|+44 7|Send on" + asked},
        {"url rejected", "hi", "+44 7", "", FetchOutcome{FetchOutcome::Kind::UrlRejected, ""},
            fetching + "Error: " + rejected + "closed|" + rejected + "|off|+44 7|Send on" + asked},
        {"network fails", "hi", "+44 7", "", FetchOutcome{FetchOutcome::Kind::Failed, "error 12057"},
            fetching + "closed|Exception: error 12057|off|+44 7|Send on" + asked},
            // clang-format on
        };
    for (const auto& [name, message, mobile, unheld, fetched, seen] : cases) {
        LoginState state{"ann", "p&w", "old", 1};
        FakeMainWindow window(state, true, message, mobile);
        window.fetched = fetched;
        window.unheld = unheld;

        SendToGateway(state, window, window);

        EXPECT_EQ(window.shown + "|" + window.status[0] + "|" + window.sendWhenBusy + "|" +
                      state.mobileNumber + "|Send " + window.Send() + "|" + window.asked,
                  seen)
            << name;
    }
}

} // namespace
} // namespace wrenquil
