// The send baseline: the WinINet calls the program makes for one Send (bare_fetch.h), with
// nothing around them, in a process of their own (started by the probe's bench-send).
//
//   bare_wininet URL GO DONE QUIT   one request each time the named event GO is set, then sets
//                                   DONE; ends when QUIT is set
//
// Exit code 0, or 1 with a message on stderr when a call failed.
#include "bare_fetch.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HANDLE OpenNamedEvent(const char* name) {
    HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
    if (event == nullptr) {
        std::fprintf(stderr, "bare_wininet: no event named %s\n", name);
        std::exit(1);
    }
    return event;
}

} // namespace

int main(int argc, char** argv) {
    using namespace wrenquil;
    if (argc != 5) {
        std::fprintf(stderr, "usage: bare_wininet URL GO_EVENT DONE_EVENT QUIT_EVENT\n");
        return 2;
    }
    BareTarget target;
    if (!SplitUrl(argv[1], target)) {
        std::fprintf(stderr, "bare_wininet: not an https URL: %s\n", argv[1]);
        return 2;
    }
    HANDLE go = OpenNamedEvent(argv[2]);
    HANDLE done = OpenNamedEvent(argv[3]);
    HANDLE quit = OpenNamedEvent(argv[4]);
    const HANDLE waits[2] = {quit, go};
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0 + 1) {
            return woken == WAIT_OBJECT_0 ? 0 : 1;
        }
        if (!BareFetch(target)) {
            return 1;
        }
        ::SetEvent(done);
    }
}
