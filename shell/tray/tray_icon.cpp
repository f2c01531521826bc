#include "tray_icon.h"

#include "res/resource.h"
#include "shell/messages.h"

#include <shellapi.h>

namespace wrenquil {

bool TrayIcon::Show() {
    if (!shown_) {
        shown_ = Notify(NIM_ADD) != FALSE;
    }
    return shown_;
}

void TrayIcon::Remove() {
    if (shown_) {
        Notify(NIM_DELETE);
        shown_ = false;
    }
}

BOOL TrayIcon::Notify(DWORD action) const {
    NOTIFYICONDATAA record{};
    // The shell 5.0 layout of this build: 504 bytes in 64 bits (488 is the 32-bit size).
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window_;
    record.uID = TRAY_ICON_ID;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAYNOTIFY;
    record.hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ::lstrcpynA(record.szTip, TRAY_TIP, sizeof record.szTip);
    return Shell_NotifyIconA(action, &record);
}

} // namespace wrenquil
