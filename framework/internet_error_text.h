// The text shown for a WinINet or system error code.
#pragma once

#include <windows.h>

#include <string>

namespace wrenquil {

// WinINet's own message text, else the system's; for ERROR_INTERNET_EXTENDED_ERROR (12003)
// the server's last response text instead. At most 1023 characters, kept as formatted (a
// system text may end in CR LF). "error " and the decimal code when there is no text.
std::string InternetErrorText(DWORD code);

} // namespace wrenquil
