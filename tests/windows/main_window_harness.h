// Runs the real main window in this process: modally on the test's thread, driven from a second
// thread the way a user or another program would, through its messages.
#pragma once

#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"
#include "framework/app.h"
#include "tests/support/memory_registry.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wrenquil {

using MessageWatch = std::function<void(HWND window, UINT message, WPARAM wParam)>;

// Long enough for a chain of Wine's waits on a slow window manager: each top-level window
// shown or hidden (ours, and the tray's own as its first icon comes or its last goes) may wait
// 2 s for it. A passing test never waits it out.
inline constexpr int WAIT_LIMIT_MS = 15000;

// Polls until `done` holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = WAIT_LIMIT_MS);

// The keyboard focus of the thread that owns `window`: a thread can ask for its own only.
HWND FocusOf(HWND window);

// What the driving thread does to and reads from the running window.
class Driver {
public:
    explicit Driver(HWND mainWindow) : window(mainWindow) {}

    std::string Status(int part) const;
    std::string Text(int id) const { return DialogItemText(window, id); }
    // Shown, not minimised, and in front.
    bool Restored() const {
        return ::IsWindowVisible(window) && !::IsIconic(window) &&
               ::GetForegroundWindow() == window;
    }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    // Enabled state of an item of the window's "&Message" menu.
    bool MenuEnabled(int command) const;
    // Send's button and menu item, and the menu's Login and Logoff, as the user sees them:
    // "Send on/on, Login off, Logoff on".
    std::string Controls() const;
    HWND Item(int id) const { return ::GetDlgItem(window, id); }
    // Replaces the box's whole text as typing would, so it reports the change.
    void Type(int id, const std::string& text) const;
    // Posted, so a command that opens a modal dialog does not hold up the driver.
    void Command(int id) const { ::PostMessageA(window, WM_COMMAND, id, 0); }
    // A dialog or message box of this process with the given caption, once it is shown; a
    // failure when none comes.
    static HWND WaitForDialog(const char* caption);
    // The text of a message box.
    static std::string BoxText(HWND box) { return DialogItemText(box, 0xFFFF); }
    static std::string DialogItemText(HWND dialog, int id);
    static void Click(HWND dialog, int id) {
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    }

    HWND window;
};

class MainWindowHarness {
public:
    MainWindowHarness() : app("Wrenquil") { RegisterCommonControls(); }

    // Runs the window until the script returns (then closes it, unless it has ended) and
    // gives the window's result. The script starts once the window is shown, or, for scripts
    // that meet the start-up Login dialog, as soon as the window exists.
    INT_PTR Run(const std::function<void(Driver&)>& script, bool waitUntilShown = true);

    // Logged in at start with a stored number, so Send follows the message alone.
    void LogInAtStart() {
        StoreNumber("AutoLogon", 1);
        settings.SaveCredentials(true, "ann", "pw", "07700");
    }

    // A value of the settings section, as an earlier run or another program left it.
    void StoreNumber(const char* name, std::uint32_t value) {
        registry.Put(SECTION, name,
                     {REG_TYPE_DWORD,
                      {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                       std::uint8_t(value >> 24)}});
    }
    void StoreText(const char* name, const std::string& text) {
        registry.Put(SECTION, name, {REG_TYPE_SZ, {text.c_str(), text.c_str() + text.size() + 1}});
    }
    // What the section holds: the value's bytes, none when it is missing.
    std::optional<std::vector<std::uint8_t>> Stored(const char* name) const {
        const auto value = registry.Get(SECTION, name);
        return value ? std::optional(value->second) : std::nullopt;
    }
    static constexpr char SECTION[] = "HKCU\\Software\\Halvory Limited\\Wrenquil\\Preferences";

    MemoryRegistry registry;
    SettingsStore settings{registry, "Wrenquil"};
    LoginState login;
    Preferences preferences;
    CWinApp app;
    // Runs just before the window is created (e.g. to inject a failure).
    std::function<void()> beforeRun;
    // Under RunSettled, sees each message the window's thread takes up or is sent, on that thread.
    MessageWatch watch;
};

} // namespace wrenquil
