#include "url_parse.h"

#include <wininet.h>

#include <vector>

namespace wrenquil {
namespace {

bool Canonicalize(const std::string& url, std::vector<char>& canonical) {
    canonical.assign(INTERNET_MAX_URL_LENGTH, '\0');
    DWORD length = static_cast<DWORD>(canonical.size());
    if (InternetCanonicalizeUrlA(url.c_str(), canonical.data(), &length, ICU_BROWSER_MODE)) {
        return true;
    }
    // A longer URL is refused with the size it needs; the crack below decides on its length.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= canonical.size()) {
        return false;
    }
    canonical.assign(length, '\0');
    return InternetCanonicalizeUrlA(url.c_str(), canonical.data(), &length, ICU_BROWSER_MODE);
}

} // namespace

bool AfxParseURL(const std::string& url, std::string& server, std::string& object,
                 INTERNET_PORT& port) {
    std::vector<char> canonical;
    if (!Canonicalize(url, canonical)) {
        return false;
    }
    std::vector<char> host(INTERNET_MAX_URL_LENGTH, '\0');
    std::vector<char> path(INTERNET_MAX_URL_LENGTH, '\0');
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    // No extra-info buffer: the query then stays on the path, which is the request's object.
    if (!InternetCrackUrlA(canonical.data(), 0, 0, &parts)) {
        return false;
    }
    server.assign(host.data(), parts.dwHostNameLength);
    object.assign(path.data(), parts.dwUrlPathLength);
    port = parts.nPort;
    return true;
}

} // namespace wrenquil
