#include "internet.h"

#include "internet_error_text.h"

namespace wrenquil {

CInternetException::CInternetException(DWORD error)
    : m_dwError(error), text_(InternetErrorText(error)) {}

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

bool CHttpFile::ReadString(std::string& line) {
    return reader_.ReadLine(line);
}

void CHttpFile::Close() {
    handle_.reset();
}

std::size_t CHttpFile::Source::Read(char* buffer, std::size_t capacity) {
    DWORD read = 0;
    if (!InternetReadFile(handle_.get(), buffer, static_cast<DWORD>(capacity), &read)) {
        throw CInternetException(GetLastError());
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
