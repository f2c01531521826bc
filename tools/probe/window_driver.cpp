#include "window_driver.h"

#include "res/resource.h"
#include "wrenquil_version.h"

#include <commctrl.h>

#include <cstring>

namespace drive {
namespace {

// Memory in another process, for messages whose pointer Windows does not carry across.
class RemoteBuffer {
public:
    RemoteBuffer(HWND owner, std::size_t size) : size_(size) {
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 ProcessOf(owner));
        if (process_ != nullptr) {
            address_ =
                ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
        if (address_ == nullptr) {
            const DWORD error = ::GetLastError();
            Release();
            throw DriveFailure("cannot reach the window's process memory (error " +
                               std::to_string(error) + ")");
        }
    }
    ~RemoteBuffer() { Release(); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    std::string Read() const {
        std::string bytes(size_, '\0');
        SIZE_T read = 0;
        if (!::ReadProcessMemory(process_, address_, bytes.data(), size_, &read)) {
            throw DriveFailure("cannot read the window's process memory");
        }
        return bytes.substr(0, bytes.find('\0'));
    }

private:
    void Release() {
        if (address_ != nullptr) {
            ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            ::CloseHandle(process_);
        }
    }
    std::size_t size_;
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

} // namespace

double NowMicroseconds() {
    static const double usPerTick = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return 1e6 / static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * usPerTick;
}

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
    const auto length = static_cast<std::size_t>(LOWORD(Send(bar, SB_GETTEXTLENGTHA, part, 0)));
    if (ProcessOf(bar) == ::GetCurrentProcessId()) {
        std::string text(length + 1, '\0');
        Send(bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
        return text.substr(0, std::strlen(text.c_str()));
    }
    // SB_GETTEXTA takes no size and the text may grow between the two calls: leave room.
    const RemoteBuffer buffer(bar, length + 0x10000);
    Send(bar, SB_GETTEXTA, static_cast<WPARAM>(part), buffer.Address());
    return buffer.Read();
}

void ClickButton(HWND parent, int id) {
    HWND button = Control(parent, id);
    if (!::IsWindowEnabled(button)) {
        throw DriveFailure("control " + std::to_string(id) + " is disabled");
    }
    const WPARAM command = MAKEWPARAM(id, BN_CLICKED);
    if (::GetWindowThreadProcessId(parent, nullptr) == ::GetCurrentThreadId()) {
        ::SendMessageA(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(button));
    } else {
        ::PostMessageA(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(button));
    }
}

} // namespace drive
