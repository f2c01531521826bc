// The baseline for a Send: the WinINet calls the program makes for one request (flags
// 0x84A00000, HTTP/1.0, its headers, the body read to its end), each on a session of its own,
// with nothing around them, in a console process of its own.
//
//   bare_wininet HOST PORT PATH GO DONE
//
// One request each time the named event GO is set, then DONE is set, until the caller (the
// probe's bench-send, which times it and reads its memory from outside) ends it. Exit code 1
// with the failing call on stderr.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char HEADERS[] = "Accept: */*\r\nUser-Agent: Wrenquil\r\n";
constexpr DWORD FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                        INTERNET_FLAG_NO_AUTO_REDIRECT;
static_assert(FLAGS == 0x84A00000);

bool Failed(const char* call) {
    std::fprintf(stderr, "bare_wininet: %s failed: %lu\n", call, ::GetLastError());
    return false;
}

// Closed in the program's order: request, connection, session.
bool Fetch(const std::string& host, INTERNET_PORT port, const std::string& object) {
    HINTERNET session =
        ::InternetOpenA("Wrenquil", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = ::InternetConnectA(session, host.c_str(), port, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = ::HttpOpenRequestA(connection, "GET", object.c_str(), "HTTP/1.0", nullptr,
                                           nullptr, FLAGS, 0);
    bool ok = request != nullptr || Failed("opening the request");
    if (ok) {
        ::HttpAddRequestHeadersA(request, HEADERS, static_cast<DWORD>(std::strlen(HEADERS)),
                                 HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        ok = ::HttpSendRequestA(request, nullptr, 0, nullptr, 0) || Failed("HttpSendRequestA");
    }
    char buffer[4096];
    for (DWORD read = 1; ok && read != 0;) {
        ok =
            ::InternetReadFile(request, buffer, sizeof buffer, &read) || Failed("InternetReadFile");
    }
    for (HINTERNET handle : {request, connection, session}) {
        if (handle != nullptr) {
            ::InternetCloseHandle(handle);
        }
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    HANDLE go = argc == 6 ? ::OpenEventA(SYNCHRONIZE, FALSE, argv[4]) : nullptr;
    HANDLE done = argc == 6 ? ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[5]) : nullptr;
    if (go == nullptr || done == nullptr) {
        std::fprintf(stderr,
                     "usage: bare_wininet HOST PORT PATH GO DONE (events of the caller's)\n");
        return 2;
    }
    const auto port = static_cast<INTERNET_PORT>(std::atoi(argv[2]));
    while (::WaitForSingleObject(go, INFINITE) == WAIT_OBJECT_0) {
        if (!Fetch(argv[1], port, argv[3])) {
            return 1;
        }
        ::SetEvent(done);
    }
    Failed("WaitForSingleObject");
    return 1;
}
