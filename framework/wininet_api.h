// The WinINet functions the program calls, under their own names in our namespace, so the
// calls read as usual: WININET.DLL is loaded at the first of them (the first Send), not at
// start. When it cannot be loaded each call fails as the function itself fails, with the
// reason in GetLastError.
#pragma once

#include <windows.h>
#include <wininet.h>

namespace wrenquil {

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags);
HINTERNET InternetConnectA(HINTERNET session, LPCSTR server, INTERNET_PORT port, LPCSTR user,
                           LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context);
BOOL InternetSetOptionExA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length, DWORD flags);
HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR object, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
BOOL HttpAddRequestHeadersA(HINTERNET request, LPCSTR headers, DWORD length, DWORD modifiers);
BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength);
BOOL InternetQueryDataAvailable(HINTERNET file, LPDWORD available, DWORD flags, DWORD_PTR context);
BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD toRead, LPDWORD read);
BOOL InternetCloseHandle(HINTERNET handle);
BOOL InternetGetLastResponseInfoA(LPDWORD error, LPSTR buffer, LPDWORD length);
BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags);
BOOL InternetCrackUrlA(LPCSTR url, DWORD length, DWORD flags, LPURL_COMPONENTSA components);

} // namespace wrenquil
