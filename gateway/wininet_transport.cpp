#include "wininet_transport.h"

#include "framework/code_page_text.h"
#include "framework/internet.h"
#include "framework/internet_error_text.h"
#include "framework/url_parse.h"
#include "reply_reader.h"

namespace wrenquil {
namespace {

constexpr char AGENT[] = "Wrenquil";
constexpr char REQUEST_HEADERS[] = "Accept: */*\r\nUser-Agent: Wrenquil\r\n";
constexpr DWORD CONNECT_TIMEOUT_MS = 5000;
constexpr DWORD CONNECT_RETRIES = 1;
// Always fetched afresh and never cached; a redirect's own body is the reply. Certificate
// errors are never ignored.
constexpr DWORD REQUEST_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT;
static_assert(REQUEST_FLAGS == 0x84A00000);

// The request's body as the reply reader takes it.
class RequestBody final : public ByteSource {
public:
    explicit RequestBody(CHttpFile& request) : request_(request) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        return request_.Read(buffer, capacity);
    }

private:
    CHttpFile& request_;
};

// The session's handle, and the time-outs and deadline its fetches keep.
class WinInetSession final : public GatewaySession {
public:
    WinInetSession(std::uint32_t sendTimeoutMs, std::uint32_t receiveTimeoutMs,
                   std::chrono::milliseconds replyDeadline)
        : session_(AGENT), sendTimeoutMs_(sendTimeoutMs), receiveTimeoutMs_(receiveTimeoutMs),
          replyDeadline_(replyDeadline) {}

    FetchOutcome Fetch(const std::string& url) override;

private:
    CInternetSession session_;
    std::uint32_t sendTimeoutMs_;
    std::uint32_t receiveTimeoutMs_;
    std::chrono::milliseconds replyDeadline_;
};

FetchOutcome WinInetSession::Fetch(const std::string& url) {
    std::string host;
    std::string object;
    INTERNET_PORT port = 0;
    if (!AfxParseURL(url, host, object, port)) {
        return {FetchOutcome::Kind::UrlRejected, {}};
    }
    try {
        const auto connection = session_.GetHttpConnection(host, port);
        connection->SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, CONNECT_TIMEOUT_MS);
        connection->SetOption(INTERNET_OPTION_CONNECT_RETRIES, CONNECT_RETRIES);
        // On the connection, not the session: Wine ignores them there.
        connection->SetOption(INTERNET_OPTION_SEND_TIMEOUT, sendTimeoutMs_);
        connection->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, receiveTimeoutMs_);
        // Declared after the connection, so the request's handle is closed first.
        const auto request = connection->OpenRequest("GET", object, "HTTP/1.0", REQUEST_FLAGS);
        request->AddRequestHeaders(REQUEST_HEADERS, HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        request->LimitBody(std::chrono::steady_clock::now() + replyDeadline_, receiveTimeoutMs_);
        request->SendRequest();
        RequestBody body(*request);
        const std::string text =
            ReadReplyText(body, WinInetTransport::MAX_REPLY_BYTES, IsCodePageLeadByte);
        // Closed before its body may have ended: whatever else comes is dropped.
        request->Close();
        return {FetchOutcome::Kind::Reply, text};
    } catch (const CInternetException& e) {
        // Whatever part of the reply came is dropped: only the failure is shown.
        return {FetchOutcome::Kind::Failed, e.what()};
    }
}

} // namespace

std::unique_ptr<GatewaySession> WinInetTransport::OpenSession(std::string& errorText) {
    try {
        return std::make_unique<WinInetSession>(sendTimeoutMs_, receiveTimeoutMs_, replyDeadline_);
    } catch (const CInternetException& e) {
        errorText = e.what();
        return nullptr;
    }
}

} // namespace wrenquil
