// Finding the program's window, reading its status bar and pressing its buttons from another
// process: for the probe, and for the Windows tests' helpers.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace drive {

struct DriveFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Send blocks the program's window while the gateway answers: a query from another process
// then waits this long instead of hanging.
constexpr UINT ANSWER_MILLISECONDS = 2000;

// Looks at `condition` every `pollMilliseconds` until it holds; false when `seconds` passed.
template <typename Condition>
bool PollUntil(double seconds, Condition condition, DWORD pollMilliseconds = 50) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (::GetTickCount64() >= end) {
            return false;
        }
        ::Sleep(pollMilliseconds);
    }
}

// The program's main window, a dialog (a window of another class with its title is not it);
// nullptr when there is none.
HWND FindMainWindow();
// The same, or a DriveFailure.
HWND MainWindow();
HWND Control(HWND parent, int id);
DWORD ProcessOf(HWND window);

// SendMessage that gives up (a DriveFailure) when the window does not answer in time.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
             UINT milliseconds = ANSWER_MILLISECONDS);

// The text of a part of the dialog's status bar, read from another process.
std::string StatusText(HWND dialog, int part);

// Puts the text on the clipboard, waiting a while for another process to let go of it; false
// when it could not.
bool SetClipboardText(const std::string& text);

// What a mouse click on the button sends its parent, posted. A greyed button cannot be
// clicked (a DriveFailure).
void ClickButton(HWND parent, int id);

} // namespace drive
