#include "gateway_fixture.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace wrenquil {

std::optional<TestGateway> TestGateway::FromEnvironment() {
    const char* port = std::getenv("WRENQUIL_TEST_GATEWAY_PORT");
    const char* untrustedPort = std::getenv("WRENQUIL_TEST_UNTRUSTED_PORT");
    const char* log = std::getenv("WRENQUIL_TEST_GATEWAY_LOG");
    if (!port || !untrustedPort || !log || !*log) {
        return std::nullopt;
    }
    // Wine maps the Linux root to drive Z:.
    return TestGateway{std::atoi(port), std::atoi(untrustedPort),
                       (log[0] == '/' ? "Z:" : "") + std::string(log)};
}

// Over Wine's WinINet directly, in plain HTTP: the gateway takes control requests so too.
bool TestGateway::Use(const std::string& scenario) const {
    const std::string url =
        "http://localhost:" + std::to_string(port) + "/control/scenario?name=" + scenario;
    HINTERNET session = ::InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = ::InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    char reply[3] = {};
    DWORD read = 0;
    const bool confirmed =
        request && ::InternetReadFile(request, reply, 2, &read) && std::string(reply) == "ok";
    ::InternetCloseHandle(request);
    ::InternetCloseHandle(session);
    return confirmed;
}

std::size_t TestGateway::Requests() const {
    std::ifstream log(logPath, std::ios::binary);
    return static_cast<std::size_t>(
        std::count(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>(), '\n'));
}

} // namespace wrenquil
