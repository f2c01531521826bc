#include "bare_fetch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace wrenquil {
namespace {

constexpr char kAgent[] = "Wrenquil";
constexpr char kRequestHeaders[] = "Accept: */*\r\nUser-Agent: Wrenquil\r\n";
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT;
static_assert(kRequestFlags == 0x84A00000);

// The three handles of one request, closed in the program's order: request, connection,
// session.
struct Handles {
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    Handles() = default;
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;
    ~Handles() {
        for (HINTERNET handle : {request, connection, session}) {
            if (handle != nullptr) {
                InternetCloseHandle(handle);
            }
        }
    }
};

bool Failed(const char* call) {
    std::fprintf(stderr, "bare_wininet: %s failed: %lu\n", call, GetLastError());
    return false;
}

} // namespace

bool SplitUrl(const std::string& url, BareTarget& target) {
    const std::string scheme = "https://";
    if (url.compare(0, scheme.size(), scheme) != 0) {
        return false;
    }
    const std::size_t hostStart = scheme.size();
    const std::size_t pathStart = url.find('/', hostStart);
    std::string authority = url.substr(hostStart, pathStart - hostStart);
    target.object = pathStart == std::string::npos ? "/" : url.substr(pathStart);
    const std::size_t colon = authority.find(':');
    if (colon != std::string::npos) {
        target.port = static_cast<INTERNET_PORT>(std::atoi(authority.c_str() + colon + 1));
        authority.resize(colon);
    }
    target.host = authority;
    return !target.host.empty();
}

bool BareFetch(const BareTarget& target) {
    Handles h;
    h.session = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (h.session == nullptr) {
        return Failed("InternetOpenA");
    }
    h.connection = InternetConnectA(h.session, target.host.c_str(), target.port, nullptr, nullptr,
                                    INTERNET_SERVICE_HTTP, 0, 0);
    if (h.connection == nullptr) {
        return Failed("InternetConnectA");
    }
    h.request = HttpOpenRequestA(h.connection, "GET", target.object.c_str(), "HTTP/1.0", nullptr,
                                 nullptr, kRequestFlags, 0);
    if (h.request == nullptr) {
        return Failed("HttpOpenRequestA");
    }
    HttpAddRequestHeadersA(h.request, kRequestHeaders,
                           static_cast<DWORD>(std::strlen(kRequestHeaders)),
                           HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (!HttpSendRequestA(h.request, nullptr, 0, nullptr, 0)) {
        return Failed("HttpSendRequestA");
    }
    char buffer[4096];
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(h.request, buffer, sizeof buffer, &read)) {
            return Failed("InternetReadFile");
        }
        if (read == 0) {
            return true;
        }
    }
}

} // namespace wrenquil
