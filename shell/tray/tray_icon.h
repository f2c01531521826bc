// The main window's icon in the notification area. The object knows whether the shell shows
// it, and removes it when it goes.
#pragma once

#include <windows.h>

namespace wrenquil {

inline constexpr UINT TRAY_ICON_ID = 128;
inline constexpr char TRAY_TIP[] = "Wrenquil";

class TrayIcon {
public:
    // The icon of `window`, which receives its callback message; not shown yet.
    explicit TrayIcon(HWND window) : window_(window) {}
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { Remove(); }

    // Adds the icon unless it is shown; true when it is shown afterwards.
    bool Show();
    void Remove();
    // A restarted shell shows no icon of ours any more.
    void ShellRestarted() { shown_ = false; }

private:
    BOOL Notify(DWORD action) const;

    HWND window_;
    bool shown_ = false;
};

} // namespace wrenquil
