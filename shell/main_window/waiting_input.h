// The input that waited in the queue while the window was busy.
#pragma once

#include <windows.h>

namespace wrenquil {

// Handles, as the dialog's own loop would, every message that waits for the dialog's thread,
// and gives back at once. A WM_QUIT among them is put back for the loop.
void HandleWaitingInput(HWND dialog);

} // namespace wrenquil
