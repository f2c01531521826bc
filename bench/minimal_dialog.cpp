// A start-up baseline: a modal dialog from a template, closed by OK, Esc or the title bar, and
// nothing else, so its time to a visible window is what Wine needs to start a process and show
// that dialog. Built as minimal_dialog.exe (a small template of its own), and, with
// MINIMAL_DIALOG_SAME_IMPORTS, as minimal_dialog_imports.exe (the program's DLL imports and
// manifest) and main_template.exe (those and the program's own main window template).
#include <windows.h>

#ifdef MINIMAL_DIALOG_SAME_IMPORTS
#include <commctrl.h>
#endif
#ifdef MINIMAL_DIALOG_TEMPLATE
#include "res/resource.h"
#else
#define MINIMAL_DIALOG_TEMPLATE 100
#endif

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam,
                            [[maybe_unused]] LPARAM lParam) {
#ifdef MINIMAL_DIALOG_SAME_IMPORTS
    // Never true, but the compiler cannot know: the calls stay, and so do the imports (those of
    // the program, which loads WinINet and the shell only when first needed).
    if (message == WM_INITDIALOG && lParam == 0x5EED) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        ::RegCloseKey(HKEY_CURRENT_USER);
        ::GetStockObject(DEFAULT_GUI_FONT);
    }
#endif
    const bool close =
        message == WM_CLOSE ||
        (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL));
    if (close) {
        ::EndDialog(dialog, 0);
    }
    return message == WM_INITDIALOG || close;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(::DialogBoxParamA(instance, MAKEINTRESOURCEA(MINIMAL_DIALOG_TEMPLATE),
                                              nullptr, DialogProc, 0));
}
