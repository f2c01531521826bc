#include "app.h"

#include <commctrl.h>
#include <shlwapi.h>

namespace wrenquil {
namespace {

CWinApp* theApp = nullptr;
constexpr UINT kAppTitleString = 0xE000;

} // namespace

CWinApp::CWinApp(const char* appName) : appName_(appName ? appName : "") {
    theApp = this;
}

CWinApp::~CWinApp() {
    if (theApp == this) {
        theApp = nullptr;
    }
}

CWinApp* AfxGetApp() {
    return theApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return theApp && theApp->m_hInstance ? theApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

CWnd* AfxGetMainWnd() {
    return theApp ? theApp->m_pMainWnd : nullptr;
}

std::string DeriveApplicationName(HINSTANCE instance) {
    char title[256];
    if (::LoadStringA(instance, kAppTitleString, title, sizeof title) > 0) {
        return title;
    }
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(instance, path, MAX_PATH);
    *::PathFindExtensionA(path) = '\0';
    return ::PathFindFileNameA(path);
}

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&controls);
}

bool CWinApp::OnCmdMsg(UINT id) {
    if (id == ID_HELP) {
        OnHelp();
        return true;
    }
    return false;
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
