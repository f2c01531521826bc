#include "wininet_transport.h"

#include "framework/internet.h"
#include "framework/internet_error_text.h"
#include "framework/url_parse.h"
#include "reply_reader.h"

namespace wrenquil {
namespace {

constexpr char kAgent[] = "Wrenquil";
constexpr char kRequestHeaders[] = "Accept: */*\r\nUser-Agent: Wrenquil\r\n";
constexpr DWORD kConnectTimeoutMs = 5000;
constexpr DWORD kConnectRetries = 1;
// Always fetched afresh and never cached; a redirect's own body is the reply. Certificate
// errors are never ignored.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT;
static_assert(kRequestFlags == 0x84A00000);

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

} // namespace

WinInetTransport::WinInetTransport(std::uint32_t sendTimeoutMs, std::uint32_t receiveTimeoutMs,
                                   std::chrono::milliseconds replyDeadline)
    : sendTimeoutMs_(sendTimeoutMs), receiveTimeoutMs_(receiveTimeoutMs),
      replyDeadline_(replyDeadline) {}

WinInetTransport::~WinInetTransport() = default;

bool WinInetTransport::OpenSession(std::string& errorText) {
    try {
        session_ = std::make_unique<CInternetSession>(kAgent);
        return true;
    } catch (const CInternetException& e) {
        errorText = e.what();
        return false;
    }
}

FetchOutcome WinInetTransport::Fetch(const std::string& url) {
    if (!session_) {
        return {FetchOutcome::Kind::Failed, InternetErrorText(ERROR_INVALID_HANDLE)};
    }
    DWORD serviceType = 0;
    std::string host;
    std::string object;
    INTERNET_PORT port = 0;
    if (!AfxParseURL(url, serviceType, host, object, port)) {
        return {FetchOutcome::Kind::UrlRejected, {}};
    }
    try {
        const auto connection = session_->GetHttpConnection(host, port);
        connection->SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
        connection->SetOption(INTERNET_OPTION_CONNECT_RETRIES, kConnectRetries);
        // On the connection, not the session: Wine ignores them there.
        connection->SetOption(INTERNET_OPTION_SEND_TIMEOUT, sendTimeoutMs_);
        connection->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, receiveTimeoutMs_);
        // Declared after the connection, so the request's handle is closed first.
        const auto request = connection->OpenRequest("GET", object, "HTTP/1.0", kRequestFlags);
        request->AddRequestHeaders(kRequestHeaders, HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        request->LimitBody(kMaxReplyBytes, std::chrono::steady_clock::now() + replyDeadline_,
                           receiveTimeoutMs_);
        request->SendRequest();
        RequestBody body(*request);
        const std::string text = ReadReplyText(body);
        // Closed before its body may have ended: whatever else comes is dropped.
        request->Close();
        return {FetchOutcome::Kind::Reply, text};
    } catch (const CInternetException& e) {
        // Whatever part of the reply came is dropped: only the failure is shown.
        return {FetchOutcome::Kind::Failed, e.what()};
    }
}

void WinInetTransport::CloseSession() {
    session_.reset();
}

} // namespace wrenquil
