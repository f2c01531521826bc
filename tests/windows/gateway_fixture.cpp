#include "gateway_fixture.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace wrenquil {
namespace {

constexpr DWORD kControlTimeoutMs = 5000;

class Winsock {
public:
    Winsock() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock() {
        if (started_) {
            WSACleanup();
        }
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;
    explicit operator bool() const { return started_; }

private:
    bool started_ = false;
};

class Socket {
public:
    Socket() : handle_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    ~Socket() {
        if (handle_ != INVALID_SOCKET) {
            closesocket(handle_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return handle_; }

private:
    SOCKET handle_;
};

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int PortFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : 0;
}

// Wine maps the Linux root to drive Z:.
std::string WindowsPath(std::string path) {
    if (path.empty() || path[0] != '/') {
        return path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + path;
}

// Decodes the JSON string starting after its opening quote; the gateway writes its text as
// Latin-1, so every \u escape is one byte; false on any other, or without the closing quote.
// Escapes a request head cannot hold (\t, \b, \f) stay their letter: the head then differs.
bool DecodeJsonString(const std::string& json, std::size_t at, std::string& text) {
    text.clear();
    while (at < json.size()) {
        const char c = json[at++];
        if (c == '"') {
            return true;
        }
        if (c != '\\') {
            text.push_back(c);
        } else if (at < json.size() && json[at] == 'u') {
            const std::string hex = json.substr(at + 1, 4);
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (hex.size() != 4 || *end != '\0' || value < 0 || value > 0xFF) {
                return false;
            }
            text.push_back(static_cast<char>(value));
            at += 5;
        } else if (at < json.size()) {
            const char escape = json[at++];
            text.push_back(escape == 'n' ? '\n' : escape == 'r' ? '\r' : escape);
        }
    }
    return false;
}

} // namespace

std::optional<TestGateway> TestGatewayFromEnvironment() {
    TestGateway gateway;
    gateway.port = PortFromEnvironment("WRENQUIL_TEST_GATEWAY_PORT");
    gateway.untrustedPort = PortFromEnvironment("WRENQUIL_TEST_UNTRUSTED_PORT");
    const char* log = std::getenv("WRENQUIL_TEST_GATEWAY_LOG");
    if (gateway.port <= 0 || gateway.untrustedPort <= 0 || !log || !*log) {
        return std::nullopt;
    }
    gateway.logPath = WindowsPath(log);
    return gateway;
}

std::string GatewayUrl(int port, const std::string& pathAndQuery) {
    return "https://localhost:" + std::to_string(port) + pathAndQuery;
}

bool SwitchScenario(int port, const std::string& scenario) {
    const Winsock winsock;
    const Socket connection;
    if (!winsock || connection.get() == INVALID_SOCKET) {
        return false;
    }
    const DWORD timeout = kControlTimeoutMs;
    const auto* timeoutBytes = reinterpret_cast<const char*>(&timeout);
    setsockopt(connection.get(), SOL_SOCKET, SO_RCVTIMEO, timeoutBytes, sizeof timeout);
    setsockopt(connection.get(), SOL_SOCKET, SO_SNDTIMEO, timeoutBytes, sizeof timeout);
    const sockaddr_in address = Loopback(port);
    if (connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
        0) {
        return false;
    }
    const std::string request =
        "GET /control/scenario?name=" + scenario + " HTTP/1.0\r\nHost: localhost\r\n\r\n";
    if (send(connection.get(), request.data(), static_cast<int>(request.size()), 0) !=
        static_cast<int>(request.size())) {
        return false;
    }
    std::string reply;
    char buffer[512];
    int received = 0;
    while ((received = recv(connection.get(), buffer, sizeof buffer, 0)) > 0) {
        reply.append(buffer, static_cast<std::size_t>(received));
    }
    return received == 0 && reply.rfind("HTTP/1.0 200 ", 0) == 0;
}

int ClosedPort() {
    const Winsock winsock;
    const Socket listener;
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    if (!winsock || listener.get() == INVALID_SOCKET ||
        bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

SilentListener::SilentListener() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return;
    }
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockets_.push_back(listener);
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        listen(listener, 1) != 0) {
        return;
    }
    // Connect until one is left waiting: the queue is then full.
    for (int i = 0; i < 16; ++i) {
        const SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockets_.push_back(client);
        u_long nonBlocking = 1;
        ioctlsocket(client, FIONBIO, &nonBlocking);
        connect(client, reinterpret_cast<const sockaddr*>(&address), size);
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(client, &writable);
        timeval wait{0, 300000};
        if (select(0, nullptr, &writable, nullptr, &wait) == 0) {
            port = ntohs(address.sin_port);
            return;
        }
    }
}

SilentListener::~SilentListener() {
    for (const std::uintptr_t handle : sockets_) {
        closesocket(static_cast<SOCKET>(handle));
    }
    WSACleanup();
}

std::vector<std::string> ReadLogLines(const std::string& logPath) {
    std::vector<std::string> lines;
    std::ifstream log(logPath, std::ios::binary);
    std::string line;
    while (std::getline(log, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::string LoggedRequestHead(const std::string& logLine) {
    // The gateway writes with Python's json.dumps: a quote inside a value is always escaped,
    // so this key cannot be matched inside another value.
    static const std::string kKey = "\"raw\": \"";
    const std::size_t at = logLine.find(kKey);
    std::string head;
    if (at == std::string::npos || !DecodeJsonString(logLine, at + kKey.size(), head)) {
        return {};
    }
    return head;
}

} // namespace wrenquil
