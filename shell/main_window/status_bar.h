// The main window's status bar: the login and send state on the left, the counter on the
// right, never cut off.
#pragma once

#include "framework/controls.h"

namespace wrenquil {

// Makes the bar along the bottom of `window` and lays out its two parts; false when the
// system refused to make it.
bool CreateStatusBar(CStatusBarCtrl& bar, CWnd& window);

} // namespace wrenquil
