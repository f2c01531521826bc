// The HTTPS side of a send, as the send command sees it: an Internet session that lives for one
// send, and one GET whose outcome is the reply text, a rejected URL, or a failure's text.
#pragma once

#include <memory>
#include <string>

namespace wrenquil {

struct FetchOutcome {
    enum class Kind { Reply, UrlRejected, Failed };
    Kind kind = Kind::Failed;
    std::string text; // the joined reply text, or the failure's error text
};

// An open Internet session; it is closed when the object goes.
class GatewaySession {
public:
    virtual ~GatewaySession() = default;
    // Parses the URL, connects, sends the request and reads the whole reply; every handle but
    // the session's is closed again before it returns.
    virtual FetchOutcome Fetch(const std::string& url) = 0;
};

class GatewayTransport {
public:
    virtual ~GatewayTransport() = default;
    // Null when the session cannot be opened; errorText then says why.
    virtual std::unique_ptr<GatewaySession> OpenSession(std::string& errorText) = 0;
};

} // namespace wrenquil
