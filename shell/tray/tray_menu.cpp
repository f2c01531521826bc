#include "tray_menu.h"

#include "framework/owned_handle.h"
#include "res/resource.h"

namespace wrenquil {

void ShowTrayMenu(HWND owner, bool loggedIn) {
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(owner);
    const OwnedMenu menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    ::SetMenuDefaultItem(popup, ID_TRAY_RESTORE, FALSE);
    ::EnableMenuItem(popup, loggedIn ? ID_TRAY_LOGIN : ID_TRAY_LOGOFF, MF_BYCOMMAND | MF_GRAYED);
    ::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, owner, nullptr);
    // So the menu closes when the user clicks elsewhere, the next time round too.
    ::PostMessageA(owner, WM_NULL, 0, 0);
}

} // namespace wrenquil
