// The local test gateway as the Windows tests see it. scripts/wine-env.sh --gateway starts it
// on the Linux side (a Wine process cannot start a Linux one) and passes its ports and request
// log through the environment; without them the gateway tests are skipped.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace wrenquil {

struct TestGateway {
    int port = 0;          // trusted certificate for "localhost"; its scenario can be switched
    int untrustedPort = 0; // a self-signed certificate nobody trusts
    std::string logPath;   // one line per request, as a Windows path

    // Empty when the environment does not name a running gateway.
    static std::optional<TestGateway> FromEnvironment() {
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

    // Switches what the gateway answers, in plain HTTP over Wine's WinINet directly (not
    // through the code under test); false unless the gateway confirmed.
    bool Use(const std::string& scenario) const {
        const std::string url =
            "http://localhost:" + std::to_string(port) + "/control/scenario?name=" + scenario;
        HINTERNET session = ::InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        HINTERNET request =
            ::InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
        char reply[3] = {};
        DWORD read = 0;
        const bool confirmed =
            request && ::InternetReadFile(request, reply, 2, &read) && std::string(reply) == "ok";
        ::InternetCloseHandle(request);
        ::InternetCloseHandle(session);
        return confirmed;
    }

    // How many requests the gateway has received, control requests not counted.
    std::size_t Requests() const {
        std::ifstream log(logPath, std::ios::binary);
        return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(log),
                                                   std::istreambuf_iterator<char>(), '\n'));
    }
};

} // namespace wrenquil
