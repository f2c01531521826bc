#include "app.h"

#include "app_name.h"
#include "code_page_text.h"

#include <commctrl.h>

namespace wrenquil {
namespace {

CWinApp* currentApp = nullptr;

} // namespace

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : "") {
    currentApp = this;
}

CWinApp::~CWinApp() {
    if (currentApp == this) {
        currentApp = nullptr;
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

// Found without the shell's path functions, whose DLLs would load at start.
std::string DeriveApplicationName(HINSTANCE instance) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(instance, path, MAX_PATH);
    return ApplicationNameFromPath(path, IsCodePageLeadByte);
}

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&controls);
}

int CWinApp::Run(HINSTANCE instance) {
    ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    m_hInstance = instance;
    if (m_appName.empty()) {
        m_appName = DeriveApplicationName(instance);
    }
    RegisterCommonControls(); // before any window uses them
    InitInstance();
    return 0;
}

} // namespace wrenquil
