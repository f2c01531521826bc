// The local test gateway as the Windows tests see it. scripts/wine-env.sh --gateway starts it
// on the Linux side (a Wine process cannot start a Linux one) and passes its ports and request
// log through the environment; without them the gateway tests are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wrenquil {

struct TestGateway {
    int port = 0;          // trusted certificate for "localhost"; its scenario can be switched
    int untrustedPort = 0; // a self-signed certificate nobody trusts
    std::string logPath;   // one JSON line per request, as a Windows path
};

// Empty when the environment does not name a running gateway.
std::optional<TestGateway> TestGatewayFromEnvironment();

// "https://localhost:PORT" + pathAndQuery.
std::string GatewayUrl(int port, const std::string& pathAndQuery);

// Switches what the gateway answers, through its plain-HTTP control path (not through the
// code under test). False when the gateway did not confirm.
bool SwitchScenario(int port, const std::string& scenario);

// A port on 127.0.0.1 that nothing listens on (it was free a moment ago).
int ClosedPort();

// A port on 127.0.0.1 whose listener never accepts and whose queue is full: a connection to
// it is never answered (the SYN is dropped), as with a gateway that is down behind a firewall.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port = 0; // 0 when the queue could not be filled

private:
    std::vector<std::uintptr_t> sockets_;
};

// The log's lines; a Linux path is read through Wine's Z: drive.
std::vector<std::string> ReadLogLines(const std::string& logPath);

// The exact request head (request line, headers and blank line) a log line records; empty
// when the line holds none.
std::string LoggedRequestHead(const std::string& logLine);

} // namespace wrenquil
