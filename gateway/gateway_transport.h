// The HTTPS side of a send, as the send command sees it: an Internet session that lives for one
// send, and one GET whose outcome is the reply text, a rejected URL, or a failure's text.
#pragma once

#include <string>

namespace wrenquil {

struct FetchOutcome {
    enum class Kind { Reply, UrlRejected, Failed };
    Kind kind = Kind::Failed;
    std::string text; // the joined reply text, or the failure's error text
};

class GatewayTransport {
public:
    virtual ~GatewayTransport() = default;
    // False when the session cannot be opened; errorText then says why.
    virtual bool OpenSession(std::string& errorText) = 0;
    // Parses the URL, connects, sends the request and reads the whole reply; every handle but
    // the session's is closed again before it returns.
    virtual FetchOutcome Fetch(const std::string& url) = 0;
    virtual void CloseSession() = 0;
};

} // namespace wrenquil
