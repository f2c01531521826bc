#include "gateway/gateway_request.h"
#include "gateway/reply_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>

namespace wrenquil {
namespace {

// What a PHP-style gateway does with a query value: "+" is a blank, "%XX" a byte.
std::string Decode(const std::string& encoded) {
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '+') {
            decoded.push_back(' ');
        } else if (encoded[i] == '%' && i + 2 < encoded.size() &&
                   std::isxdigit(static_cast<unsigned char>(encoded[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(encoded[i + 2]))) {
            decoded.push_back(static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            decoded.push_back(encoded[i]);
        }
    }
    return decoded;
}

TEST(UrlEncodeText, EncodesAsTheGatewayExpects) {
    const std::pair<std::string, std::string> cases[] = {
        {"Hi there!", "Hi+there%21"},
        {"a&b=c", "a%26b%3Dc"},
        {"50% off", "50%25+off"},
        {"a_b-c.d", "a_b%2Dc%2Ed"},
        {"x\r\ny", "x%0D%0Ay"},
        {"a\tb", "a%09b"},
        {"~*+", "%7E%2A%2B"},
        {"\xE9t\xE9", "%E9t%E9"},
        {"", ""},
        {std::string("ab\0cd", 5), "ab"}, // a string ends at its first zero byte
        {std::string(160, ' '), std::string(160, '+')},
    };
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(UrlEncodeText(text), encoded);
    }
}

TEST(UrlEncodeText, EveryByteRoundTripsAndOnlyUnreservedBytesStayVisible) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string encoded = UrlEncodeText(all);
    EXPECT_EQ(Decode(encoded), all);
    for (int b = 1; b < 256; ++b) {
        const std::string one = UrlEncodeText(std::string(1, static_cast<char>(b)));
        const bool plain = std::isalnum(b) && b < 0x80;
        EXPECT_EQ(one.size(), plain || b == '_' || b == ' ' ? 1u : 3u) << b;
        if (one.size() == 3) {
            EXPECT_TRUE(std::none_of(one.begin(), one.end(), ::islower)) << b;
        }
    }
}

TEST(BuildGatewayUrl, PutsFourEncodedValuesInOrder) {
    const std::string base = std::string("https://") + kGatewayHost + "/wrenquil/index.php";
    EXPECT_EQ(GatewayBaseAddress(), base);
    struct Case {
        std::string user, password, mobile, text, query;
    } cases[] = {
        {"u1", "", "447", "Hi there", "?usr=u1&pwd=&mob=447&txt=Hi+there"},
        {"", "p", "1", "x", "?usr=&pwd=p&mob=1&txt=x"},
        {"a b", "p&w=d#%+", "+447700", "t", "?usr=a+b&pwd=p%26w%3Dd%23%25%2B&mob=%2B447700&txt=t"},
        {"u", "p", "1&txt=x", "real", "?usr=u&pwd=p&mob=1%26txt%3Dx&txt=real"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildGatewayUrl(c.user, c.password, c.mobile, c.text), base + c.query);
    }
}

TEST(BuildGatewayUrl, GatewayGetsBackExactlyWhatWasTyped) {
    const std::string password = "p&w=d#% +x";
    const std::string url = BuildGatewayUrl("me", password, "+44 7700", "a&txt=b");
    const std::string query = url.substr(url.find('?') + 1);
    std::vector<std::pair<std::string, std::string>> parameters;
    std::size_t start = 0;
    while (start <= query.size()) {
        const std::size_t end = std::min(query.find('&', start), query.size());
        const std::string pair = query.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        parameters.emplace_back(pair.substr(0, equals), Decode(pair.substr(equals + 1)));
        start = end + 1;
    }
    const std::vector<std::pair<std::string, std::string>> expected{
        {"usr", "me"}, {"pwd", password}, {"mob", "+44 7700"}, {"txt", "a&txt=b"}};
    EXPECT_EQ(parameters, expected);
}

TEST(InterpretGatewayReply, ReplacesOnlyAnExactMarkerFollowedByText) {
    const std::pair<std::string, std::string> cases[] = {
        {"1|Message sent", "OK. Message sent"},
        {"0|Bad number", "FAILED. Bad number"},
        {"1|SentRef 7", "OK. SentRef 7"},
        {"1|", "1|"},
        {"0|", "0|"},
        {"1", "1"},
        {"", ""},
        {"2|x", "2|x"},
        {" 1|x", " 1|x"},
        {"<html><body>Error</body></html>", "<html><body>Error</body></html>"},
        {"1|0|x", "OK. 0|x"},
    };
    for (const auto& [reply, status] : cases) {
        EXPECT_EQ(InterpretGatewayReply(reply), status) << reply;
    }
}

// Hands out a body in pieces of the given sizes, as the network does.
class ChunkedSource final : public ByteSource {
public:
    ChunkedSource(std::string body, std::vector<std::size_t> pieces)
        : body_(std::move(body)), pieces_(std::move(pieces)) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        std::size_t size = std::min(capacity, body_.size() - offset_);
        if (next_ < pieces_.size()) {
            size = std::min(size, pieces_[next_++]);
        }
        std::copy_n(body_.data() + offset_, size, buffer);
        offset_ += size;
        ++reads;
        return size;
    }
    int reads = 0;

private:
    std::string body_;
    std::vector<std::size_t> pieces_;
    std::size_t offset_ = 0;
    std::size_t next_ = 0;
};

std::string WithoutLineBreaks(std::string text) {
    text.erase(
        std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
        text.end());
    return text;
}

TEST(ReplyLineReader, SplitsAtLineFeedsAndDropsEveryCarriageReturn) {
    ChunkedSource source("1|Sent\r\nRef 7\r\nlast\rpart", {3, 4, 100});
    ReplyLineReader reader(source);
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line)) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"1|Sent", "Ref 7", "lastpart"}));
    EXPECT_FALSE(reader.ReadLine(line)); // stays at the end
}

TEST(ReadReplyText, JoinsAnyBodyWhateverItsPieces) {
    std::mt19937 random(7);
    const std::string alphabet = "ab|1\r\n\r\n ";
    for (int round = 0; round < 200; ++round) {
        std::string body(random() % 9000, ' ');
        for (char& c : body) {
            c = alphabet[random() % alphabet.size()];
        }
        std::vector<std::size_t> pieces;
        for (int i = 0; i < 20; ++i) {
            pieces.push_back(1 + random() % 5000);
        }
        ChunkedSource source(body, pieces);
        EXPECT_EQ(ReadReplyText(source), WithoutLineBreaks(body));
    }
}

TEST(ReadReplyText, ReadsABodyLongerThanTheBufferAcrossRefills) {
    const std::string body = "1|" + std::string(5000, 'x') + "\r\n" + std::string(5000, 'y');
    ChunkedSource source(body, {});
    EXPECT_EQ(ReadReplyText(source), WithoutLineBreaks(body));
    EXPECT_EQ(source.reads, 4); // 4096 + 4096 + the rest + the empty read that ends it
}

} // namespace
} // namespace wrenquil
