#include "shell_api.h"

#include "system_library.h"

namespace wrenquil {
namespace {

SystemLibrary shell32("shell32.dll");

} // namespace

BOOL Shell_NotifyIconA(DWORD action, PNOTIFYICONDATAA data) {
    static LibraryFunction<decltype(&::Shell_NotifyIconA)> function(shell32, "Shell_NotifyIconA");
    return function.CallOr(FALSE, action, data);
}

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT show) {
    static LibraryFunction<decltype(&::ShellExecuteA)> function(shell32, "ShellExecuteA");
    // A value of 32 or less is a failure; this one says a DLL was missing.
    return function.CallOr(reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND), owner, verb, file,
                           parameters, directory, show);
}

} // namespace wrenquil
