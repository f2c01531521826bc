// The gateway transport over WinINet: one Internet session per send, one HTTPS GET per fetch.
#pragma once

#include "gateway_transport.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace wrenquil {

class CInternetSession;

class WinInetTransport final : public GatewayTransport {
public:
    // Wine has no default receive time-out: without one, a gateway that accepts the connection
    // and never answers would keep the window frozen for ever. (Under Wine the time-outs cover
    // the exchange after the TLS handshake only: a server that never handshakes still blocks.)
    static constexpr std::uint32_t kDefaultTimeoutMs = 30000;
    // A reply that never ends, or trickles, would hold the window without limit: reading stops
    // at this many body bytes, or this long after the request was sent, and what came is the
    // reply.
    static constexpr std::size_t kMaxReplyBytes = 1 << 20;
    static constexpr std::chrono::milliseconds kReplyDeadline{60000};

    explicit WinInetTransport(std::uint32_t sendTimeoutMs = kDefaultTimeoutMs,
                              std::uint32_t receiveTimeoutMs = kDefaultTimeoutMs,
                              std::chrono::milliseconds replyDeadline = kReplyDeadline);
    ~WinInetTransport() override;

    bool OpenSession(std::string& errorText) override;
    FetchOutcome Fetch(const std::string& url) override;
    void CloseSession() override;

private:
    std::uint32_t sendTimeoutMs_;
    std::uint32_t receiveTimeoutMs_;
    std::chrono::milliseconds replyDeadline_;
    std::unique_ptr<CInternetSession> session_;
};

} // namespace wrenquil
