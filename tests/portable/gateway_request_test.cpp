#include "gateway/gateway_request.h"
#include "gateway/reply_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace wrenquil {
namespace {

TEST(UrlEncodeText, KeepsLettersDigitsAndUnderscoreMakesBlanksPlusAndEscapesEveryOtherByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"Az09_ -.~*!+%&=#?/", "Az09_+%2D%2E%7E%2A%21%2B%25%26%3D%23%3F%2F"},
        {"\r\n\t\x7F\x80\xE9\xFF", "%0D%0A%09%7F%80%E9%FF"},
        {std::string("ab\0cd", 5), "ab"}, // a string ends at its first zero byte
    };
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(UrlEncodeText(text), encoded);
    }
    for (int b = 1; b < 256; ++b) {
        const bool kept = (b < 0x80 && std::isalnum(b)) || b == '_' || b == ' ';
        EXPECT_EQ(UrlEncodeText(std::string(1, static_cast<char>(b))).size(), kept ? 1u : 3u) << b;
    }
}

TEST(BuildGatewayUrl, PutsFourEncodedValuesInOrder) {
    const std::string base = std::string("https://") + kGatewayHost + "/wrenquil/index.php";
    EXPECT_EQ(BuildGatewayUrl("a b", "p&w=d#%+", "+447700", "1&txt=x"),
              base + "?usr=a+b&pwd=p%26w%3Dd%23%25%2B&mob=%2B447700&txt=1%26txt%3Dx");
}

TEST(InterpretGatewayReply, ReplacesOnlyAMarkerFollowedByText) {
    EXPECT_EQ(InterpretGatewayReply("0|Bad number"), "FAILED. Bad number");
    EXPECT_EQ(InterpretGatewayReply("1|0|x"), "OK. 0|x");
    for (const char* reply : {"1|", "0|", "1", "", "2|x", " 1|x"}) {
        EXPECT_EQ(InterpretGatewayReply(reply), reply);
    }
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
// where a line break straddles the end of the reader's buffer.
TEST(ReadReplyText, JoinsTheLinesOfAnyBodyWithoutLineBreaks) {
    const std::string longLine(4093, 'x'); // the CR ends the first buffer
    const std::string body = "1|" + longLine + "\r\nRef 7\r\n\r\nla\rst";
    for (const std::size_t piece : {1, 3, 4096, 100000}) {
        ChunkedSource source(body, piece);
        EXPECT_EQ(ReadReplyText(source), "1|" + longLine + "Ref 7last") << piece;
    }
}

} // namespace
} // namespace wrenquil
