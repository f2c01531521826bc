// Our small Internet classes over WinINet: a session, an HTTP connection and one request on
// it. Every handle is owned by exactly one object and closed exactly once; a failing WinINet
// call throws CInternetException.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstddef>
#include <exception>
#include <memory>
#include <string>

namespace wrenquil {

class CInternetException : public std::exception {
public:
    explicit CInternetException(DWORD error);
    // The error's text, as InternetErrorText formats it when the exception is made (for
    // 12003 the server's response text is only there until the next WinINet call).
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const noexcept { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

// One request; its body is handed out as bytes.
class CHttpFile {
public:
    explicit CHttpFile(InternetHandle handle);
    CHttpFile(const CHttpFile&) = delete;
    CHttpFile& operator=(const CHttpFile&) = delete;

    // The result is not checked: a header that was not added shows up in the request only.
    void AddRequestHeaders(const std::string& headers, DWORD flags);
    void SendRequest();
    // Ends the body early at `deadline`. No read waits past it (nor longer than
    // `receiveTimeoutMs`), and a read that fails because the deadline cut it short is the end
    // of the body, not a failure.
    void LimitBody(std::chrono::steady_clock::time_point deadline, DWORD receiveTimeoutMs);
    // Fills up to `capacity` bytes of the body; 0 at its end. A failed read throws.
    std::size_t Read(char* buffer, std::size_t capacity);
    void Close();

private:
    InternetHandle handle_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
    DWORD receiveTimeoutMs_ = 0; // 0: no deadline, WinINet's own time-out
};

class CHttpConnection {
public:
    explicit CHttpConnection(InternetHandle handle) : handle_(std::move(handle)) {}

    // The result is not checked: an option WinINet refuses leaves its default in place.
    void SetOption(DWORD option, DWORD value);
    // A null request handle is not checked here: sending on it then fails.
    std::unique_ptr<CHttpFile> OpenRequest(const std::string& verb, const std::string& object,
                                           const std::string& version, DWORD flags);

private:
    InternetHandle handle_;
};

class CInternetSession {
public:
    explicit CInternetSession(const char* agent);

    std::unique_ptr<CHttpConnection> GetHttpConnection(const std::string& host, INTERNET_PORT port);

private:
    InternetHandle handle_;
};

} // namespace wrenquil
