// The start-up baseline: a modal dialog from a template, closed by OK, Esc or the title bar.
// It does nothing else, so its time to a visible window is what Wine needs to start a process
// and show a dialog. Built twice: minimal_dialog.exe, and minimal_dialog_imports.exe with the
// program's DLL imports and manifest (MINIMAL_DIALOG_SAME_IMPORTS).
#include "minimal_dialog.h"

#include <windows.h>

#ifdef MINIMAL_DIALOG_SAME_IMPORTS
// The second baseline imports the DLLs the program imports (and has its manifest, so common
// controls 6 are loaded too): its start-up then times loading them as well. WinINet and the
// shell are not among them: the program loads those when first needed, and finds its own
// name without the shell's path functions (SHLWAPI).
#include <commctrl.h>
#endif

namespace {

#ifdef MINIMAL_DIALOG_SAME_IMPORTS
// Never true at run time, but the compiler cannot know: the calls stay, and so do the imports.
void UseImports(LPARAM never) {
    if (never != 0x5EED) {
        return;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, "x", 0, KEY_READ, &key);
    ::GetStockObject(DEFAULT_GUI_FONT);
}
#endif

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam,
                            [[maybe_unused]] LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
#ifdef MINIMAL_DIALOG_SAME_IMPORTS
        UseImports(lParam);
#endif
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        ::EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(
        ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MINIMAL), nullptr, DialogProc, 0));
}
