// Splits the gateway's URL into what a connection and a request need, the way WinINet reads
// it: canonicalised in browser mode, then cracked with the query left on the path.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

namespace wrenquil {

// False when WinINet does not accept the URL, e.g. one whose path (with its query) is 2084
// characters or more. The scheme is not looked at; port is the scheme's default when the URL
// gives none.
bool AfxParseURL(const std::string& url, std::string& server, std::string& object,
                 INTERNET_PORT& port);

} // namespace wrenquil
