#include "waiting_input.h"

namespace wrenquil {

void HandleWaitingInput(HWND dialog) {
    // Wine takes input from the display only when the thread looks for it.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // The wide calls, as the dialog's own loop: a character typed meanwhile reaches the box
    // whole, whatever the code page.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!::IsDialogMessageW(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

} // namespace wrenquil
