// The main window's icon in the notification area. The object knows whether the shell shows
// it, and removes it when it goes.
#pragma once

#include <windows.h>

namespace wrenquil {

inline constexpr UINT kTrayIconId = 128;
inline constexpr char kTrayTip[] = "Wrenquil";

class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { Remove(); }

    // The window whose icon it is, and which receives its callback message.
    void SetOwner(HWND window) { window_ = window; }
    // Adds the icon unless it is shown; true when it is shown afterwards.
    bool Show();
    void Remove();
    // A restarted shell shows no icon of ours any more.
    void ShellRestarted() { shown_ = false; }
    bool Shown() const { return shown_; }

private:
    BOOL Notify(DWORD action) const;

    HWND window_ = nullptr;
    bool shown_ = false;
};

} // namespace wrenquil
