#include "internet.h"

#include "internet_error_text.h"

#include <algorithm>

namespace wrenquil {

CInternetException::CInternetException(DWORD error) : text_(InternetErrorText(error)) {}

CHttpFile::CHttpFile(InternetHandle handle) : handle_(std::move(handle)) {}

void CHttpFile::AddRequestHeaders(const std::string& headers, DWORD flags) {
    HttpAddRequestHeadersA(handle_.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                           flags);
}

void CHttpFile::SendRequest() {
    if (!HttpSendRequestA(handle_.get(), nullptr, 0, nullptr, 0)) {
        throw CInternetException(GetLastError());
    }
}

void CHttpFile::Close() {
    handle_.reset();
}

void CHttpFile::LimitBody(std::chrono::steady_clock::time_point deadline, DWORD receiveTimeoutMs) {
    deadline_ = deadline;
    receiveTimeoutMs_ = receiveTimeoutMs;
}

// A read asks for no more than has arrived: InternetReadFile waits until it has filled the
// buffer, so a reply that trickles would hold it far past the deadline.
std::size_t CHttpFile::Read(char* buffer, std::size_t capacity) {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline_ - steady_clock::now()).count();
    if (left <= 0) {
        return 0;
    }
    if (receiveTimeoutMs_ != 0) {
        DWORD wait = static_cast<DWORD>(std::min<long long>(left, receiveTimeoutMs_));
        InternetSetOptionExA(handle_.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait, 0);
    }
    DWORD available = 0;
    DWORD read = 0;
    if (!InternetQueryDataAvailable(handle_.get(), &available, 0, 0) ||
        (available != 0 &&
         !InternetReadFile(handle_.get(), buffer,
                           static_cast<DWORD>(std::min(capacity, std::size_t{available})),
                           &read))) {
        const DWORD error = GetLastError();
        if (steady_clock::now() >= deadline_) {
            return 0; // cut short by the deadline_: what came is the body
        }
        throw CInternetException(error);
    }
    return read;
}

void CHttpConnection::SetOption(DWORD option, DWORD value) {
    InternetSetOptionExA(handle_.get(), option, &value, sizeof value, 0);
}

std::unique_ptr<CHttpFile> CHttpConnection::OpenRequest(const std::string& verb,
                                                        const std::string& object,
                                                        const std::string& version, DWORD flags) {
    return std::make_unique<CHttpFile>(InternetHandle(HttpOpenRequestA(
        handle_.get(), verb.c_str(), object.c_str(), version.c_str(), nullptr, nullptr, flags, 0)));
}

CInternetSession::CInternetSession(const char* agent)
    : handle_(InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
    if (!handle_) {
        throw CInternetException(GetLastError());
    }
}

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(const std::string& host,
                                                                     INTERNET_PORT port) {
    InternetHandle connection(InternetConnectA(handle_.get(), host.c_str(), port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
        throw CInternetException(GetLastError());
    }
    return std::make_unique<CHttpConnection>(std::move(connection));
}

} // namespace wrenquil
