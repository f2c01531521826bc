#include "wininet_api.h"

#include "system_library.h"

namespace wrenquil {
namespace {

SystemLibrary wininet("wininet.dll");

} // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags) {
    static LibraryFunction<decltype(&::InternetOpenA)> function(wininet, "InternetOpenA");
    return function.CallOr(HINTERNET{}, agent, accessType, proxy, proxyBypass, flags);
}

HINTERNET InternetConnectA(HINTERNET session, LPCSTR server, INTERNET_PORT port, LPCSTR user,
                           LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context) {
    static LibraryFunction<decltype(&::InternetConnectA)> function(wininet, "InternetConnectA");
    return function.CallOr(HINTERNET{}, session, server, port, user, password, service, flags,
                           context);
}

BOOL InternetSetOptionExA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length,
                          DWORD flags) {
    static LibraryFunction<decltype(&::InternetSetOptionExA)> function(wininet,
                                                                       "InternetSetOptionExA");
    return function.CallOr(FALSE, handle, option, buffer, length, flags);
}

HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR object, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) {
    static LibraryFunction<decltype(&::HttpOpenRequestA)> function(wininet, "HttpOpenRequestA");
    return function.CallOr(HINTERNET{}, connection, verb, object, version, referrer, acceptTypes,
                           flags, context);
}

BOOL HttpAddRequestHeadersA(HINTERNET request, LPCSTR headers, DWORD length, DWORD modifiers) {
    static LibraryFunction<decltype(&::HttpAddRequestHeadersA)> function(wininet,
                                                                         "HttpAddRequestHeadersA");
    return function.CallOr(FALSE, request, headers, length, modifiers);
}

BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength) {
    static LibraryFunction<decltype(&::HttpSendRequestA)> function(wininet, "HttpSendRequestA");
    return function.CallOr(FALSE, request, headers, headersLength, optional, optionalLength);
}

BOOL InternetQueryDataAvailable(HINTERNET file, LPDWORD available, DWORD flags, DWORD_PTR context) {
    static LibraryFunction<decltype(&::InternetQueryDataAvailable)> function(
        wininet, "InternetQueryDataAvailable");
    return function.CallOr(FALSE, file, available, flags, context);
}

BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD toRead, LPDWORD read) {
    static LibraryFunction<decltype(&::InternetReadFile)> function(wininet, "InternetReadFile");
    return function.CallOr(FALSE, file, buffer, toRead, read);
}

BOOL InternetCloseHandle(HINTERNET handle) {
    static LibraryFunction<decltype(&::InternetCloseHandle)> function(wininet,
                                                                      "InternetCloseHandle");
    return function.CallOr(FALSE, handle);
}

BOOL InternetGetLastResponseInfoA(LPDWORD error, LPSTR buffer, LPDWORD length) {
    static LibraryFunction<decltype(&::InternetGetLastResponseInfoA)> function(
        wininet, "InternetGetLastResponseInfoA");
    return function.CallOr(FALSE, error, buffer, length);
}

BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags) {
    static LibraryFunction<decltype(&::InternetCanonicalizeUrlA)> function(
        wininet, "InternetCanonicalizeUrlA");
    return function.CallOr(FALSE, url, buffer, length, flags);
}

BOOL InternetCrackUrlA(LPCSTR url, DWORD length, DWORD flags, LPURL_COMPONENTSA components) {
    static LibraryFunction<decltype(&::InternetCrackUrlA)> function(wininet, "InternetCrackUrlA");
    return function.CallOr(FALSE, url, length, flags, components);
}

} // namespace wrenquil
