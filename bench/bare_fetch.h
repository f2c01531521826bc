// The WinINet calls the program makes for one Send, with nothing around them: no window, no
// URL building, no reply interpretation. Used by bare_wininet and by bench_sends.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

namespace wrenquil {

struct BareTarget {
    std::string host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTPS_PORT;
    std::string object; // path and query
};

// "https://host[:port]/path?query"; split once, before anything is timed.
bool SplitUrl(const std::string& url, BareTarget& target);

// One request: InternetOpenA, InternetConnectA, HttpOpenRequestA (flags 0x84A00000, HTTP/1.0),
// HttpAddRequestHeadersA, HttpSendRequestA, InternetReadFile to the end (the body is dropped), then
// every handle closed, as the program does for each Send. False (with the failing call named on
// stderr) when a call failed.
bool BareFetch(const BareTarget& target);

} // namespace wrenquil
