#include "window_driver.h"

#include "res/resource.h"
#include "wrenquil_version.h"

#include <commctrl.h>

#include <algorithm>

namespace drive {
HWND FindMainWindow() {
    return ::FindWindowA("#32770", WRENQUIL_MAIN_WINDOW_TITLE);
}

HWND MainWindow() {
    HWND window = FindMainWindow();
    if (window == nullptr) {
        throw DriveFailure("no window titled \"" WRENQUIL_MAIN_WINDOW_TITLE "\"");
    }
    return window;
}

HWND Control(HWND parent, int id) {
    HWND control = ::GetDlgItem(parent, id);
    if (control == nullptr) {
        throw DriveFailure("the window has no control " + std::to_string(id));
    }
    return control;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    return processId;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT milliseconds) {
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, milliseconds,
                              &result) == 0) {
        throw DriveFailure("the window did not answer message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

std::string StatusText(HWND dialog, int part) {
    HWND bar = Control(dialog, IDC_STATUSBAR);
    if (part < 0 || part >= Send(bar, SB_GETPARTS, 0, 0)) {
        throw DriveFailure("the status bar has no part " + std::to_string(part));
    }
    // SB_GETTEXTA takes no size and the text may grow between the two calls: leave room.
    const auto length = static_cast<std::size_t>(LOWORD(Send(bar, SB_GETTEXTLENGTHA, part, 0)));
    const std::size_t size = length + 0x10000;
    // The text goes through memory in the window's process.
    const HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                         FALSE, ProcessOf(bar));
    void* memory = process == nullptr ? nullptr
                                      : ::VirtualAllocEx(process, nullptr, size,
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    std::string text(size, '\0');
    DWORD_PTR answer = 0;
    const bool read = memory != nullptr &&
                      ::SendMessageTimeoutA(bar, SB_GETTEXTA, static_cast<WPARAM>(part),
                                            reinterpret_cast<LPARAM>(memory), SMTO_NORMAL,
                                            ANSWER_MILLISECONDS, &answer) != 0 &&
                      ::ReadProcessMemory(process, memory, text.data(), size, nullptr);
    if (memory != nullptr) {
        ::VirtualFreeEx(process, memory, 0, MEM_RELEASE);
    }
    if (process != nullptr) {
        ::CloseHandle(process);
    }
    if (!read) {
        throw DriveFailure("cannot read the status bar through the window's process memory");
    }
    return text.substr(0, text.find('\0'));
}

// The whole of it tried again until the clipboard takes the text: seen once under Wine, the
// data was refused although the opening had succeeded.
bool SetClipboardText(const std::string& text) {
    return PollUntil(5, [&] {
        if (!::OpenClipboard(nullptr)) {
            return false;
        }
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        bool stored = false;
        if (memory != nullptr) {
            std::copy(text.c_str(), text.c_str() + text.size() + 1,
                      static_cast<char*>(::GlobalLock(memory)));
            ::GlobalUnlock(memory);
            stored = ::EmptyClipboard() && ::SetClipboardData(CF_TEXT, memory) != nullptr;
            if (!stored) {
                ::GlobalFree(memory);
            }
        }
        ::CloseClipboard();
        return stored;
    });
}

void ClickButton(HWND parent, int id) {
    HWND button = Control(parent, id);
    if (!::IsWindowEnabled(button)) {
        throw DriveFailure("control " + std::to_string(id) + " is disabled");
    }
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

} // namespace drive
