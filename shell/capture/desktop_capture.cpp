#include "desktop_capture.h"

namespace wrenquil {

// Messages sent by other programs are still answered: the program that copies sends
// WM_DESTROYCLIPBOARD to the clipboard's owner, which may be our message box, and waits.
void DesktopCapture::Pause(unsigned milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                        QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

bool DesktopCapture::ModifierKeysDown() {
    for (const int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
        if (::GetAsyncKeyState(key) < 0) {
            return true;
        }
    }
    return false;
}

// The system posts a hot key's message when the key is pressed; the capture's own Scroll Lock
// has set the key off by the time the copy has reached the other program (input is taken in
// order), and so has anything the user pressed before.
void DesktopCapture::DropHotKeyPressesMeanwhile() {
    MSG msg;
    while (::PeekMessageA(&msg, mainWindow_, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    }
}

bool DesktopCapture::ClipboardBusy() {
    if (!::OpenClipboard(mainWindow_)) {
        return true;
    }
    ::CloseClipboard();
    return false;
}

} // namespace wrenquil
