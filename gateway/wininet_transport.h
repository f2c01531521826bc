// The gateway transport over WinINet: one Internet session per send, one HTTPS GET per fetch.
#pragma once

#include "gateway_transport.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace wrenquil {

class WinInetTransport final : public GatewayTransport {
public:
    // Wine has no default receive time-out: without one, a gateway that accepts the connection
    // and never answers would keep the window frozen for ever. (Under Wine the time-outs cover
    // the exchange after the TLS handshake only: a server that never handshakes still blocks.)
    static constexpr std::uint32_t DEFAULT_TIMEOUT_MS = 30000;
    // A reply that never ends, or trickles, would hold the window without limit: reading stops
    // at this many body bytes, or this long after the request was sent, and what came is the
    // reply.
    static constexpr std::size_t MAX_REPLY_BYTES = 1 << 20;
    static constexpr std::chrono::milliseconds REPLY_DEADLINE{60000};

    explicit WinInetTransport(std::uint32_t sendTimeoutMs = DEFAULT_TIMEOUT_MS,
                              std::uint32_t receiveTimeoutMs = DEFAULT_TIMEOUT_MS,
                              std::chrono::milliseconds replyDeadline = REPLY_DEADLINE)
        : sendTimeoutMs_(sendTimeoutMs), receiveTimeoutMs_(receiveTimeoutMs),
          replyDeadline_(replyDeadline) {}

    std::unique_ptr<GatewaySession> OpenSession(std::string& errorText) override;

private:
    std::uint32_t sendTimeoutMs_;
    std::uint32_t receiveTimeoutMs_;
    std::chrono::milliseconds replyDeadline_;
};

} // namespace wrenquil
