// The program's real main window in the bench's own process, for the benchmarks that time
// what happens inside it: the window runs modally on the calling thread, with settings that
// are never there (defaults, logged out; the prefix's registry is not touched), and `work`
// runs on that same thread once the window is up, so the window's messages sent from it are
// direct calls. The window is closed when `work` returns.
#pragma once

#include "core/login_state.h"
#include "tools/probe/window_driver.h"

#include <windows.h>

#include <functional>

namespace wrenquil {

class CWrenquilDlg;

// false when the window did not come up.
bool RunMainWindow(LoginState& login,
                   const std::function<void(CWrenquilDlg& window, HWND dialog)>& work);

} // namespace wrenquil
