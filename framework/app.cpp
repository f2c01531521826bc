#include "app.h"

#include <commctrl.h>

namespace wrenquil {
namespace {

CWinApp* currentApp = nullptr;

} // namespace

CWinApp::CWinApp(const char* appName, LibraryLoader& libraries)
    : appName_(appName ? appName : ""), libraries_(libraries) {
    currentApp = this;
    LibraryLoaderChanged();
}

CWinApp::~CWinApp() {
    if (currentApp == this) {
        currentApp = nullptr;
        LibraryLoaderChanged();
    }
}

CWinApp* AfxGetApp() {
    return currentApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return currentApp && currentApp->m_hInstance ? currentApp->m_hInstance
                                                 : ::GetModuleHandleA(nullptr);
}

CWnd* AfxGetMainWnd() {
    return currentApp ? currentApp->m_pMainWnd : nullptr;
}

// Found as the shell's path functions find them (a blank after the last dot means there is no
// extension), without loading the shell's DLLs at start; CharNextA keeps double-byte names
// whole.
std::string DeriveApplicationName(HINSTANCE instance) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(instance, path, MAX_PATH);
    const char* name = path;
    const char* extension = nullptr;
    for (const char* at = path; *at != '\0'; at = ::CharNextA(at)) {
        if (*at == '\\' || *at == '/' || *at == ':') {
            name = at + 1;
            extension = nullptr;
        } else if (*at == ' ') {
            extension = nullptr;
        } else if (*at == '.') {
            extension = at;
        }
    }
    return extension != nullptr ? std::string(name, extension) : std::string(name);
}

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&controls);
}

int CWinApp::Run(HINSTANCE instance) {
    ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    m_hInstance = instance;
    if (appName_.empty()) {
        appName_ = DeriveApplicationName(instance);
    }
    RegisterCommonControls(); // before any window uses them
    InitInstance();
    return 0;
}

} // namespace wrenquil
