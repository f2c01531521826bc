// Splits the gateway's URL into what a connection and a request need, the way WinINet reads
// it: canonicalised in browser mode, then cracked with the query left on the path.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

namespace wrenquil {

// False when WinINet does not accept the URL, e.g. one whose path (with its query) is 2084
// characters or more. serviceType is the URL's scheme as WinINet numbers it
// (INTERNET_SCHEME_HTTPS for the gateway); port is the scheme's default when none is given.
bool AfxParseURL(const std::string& url, DWORD& serviceType, std::string& server,
                 std::string& object, INTERNET_PORT& port);

} // namespace wrenquil
