// The local test gateway as the Windows tests see it. scripts/wine-env.sh --gateway starts it
// on the Linux side (a Wine process cannot start a Linux one) and passes its ports and request
// log through the environment; without them the gateway tests are skipped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace wrenquil {

struct TestGateway {
    int port = 0;          // trusted certificate for "localhost"; its scenario can be switched
    int untrustedPort = 0; // a self-signed certificate nobody trusts
    std::string logPath;   // one line per request, as a Windows path

    // Empty when the environment does not name a running gateway.
    static std::optional<TestGateway> FromEnvironment();

    // "https://localhost:PORT" + pathAndQuery, on the trusted port unless another is given.
    std::string Url(const std::string& pathAndQuery, int onPort = 0) const {
        return "https://localhost:" + std::to_string(onPort ? onPort : port) + pathAndQuery;
    }

    // Switches what the gateway answers through its plain-HTTP control path (not through the
    // code under test); false unless the gateway confirmed.
    bool Use(const std::string& scenario) const;

    // How many requests the gateway has received, control requests not counted.
    std::size_t Requests() const;
};

} // namespace wrenquil
