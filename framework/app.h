// The application object: one per program, started by the framework's WinMain.
#pragma once

#include "wnd.h"

#include <string>

namespace wrenquil {

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // Called once at start; false ends the process without a message loop.
    virtual BOOL InitInstance() { return FALSE; }

    const std::string& ApplicationName() const { return m_appName; }

    // Error mode, application name, common controls, then InitInstance.
    int Run(HINSTANCE instance);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    std::string m_appName;
};

// Registers the common-control classes the program's windows use (status bar, hot-key control).
void RegisterCommonControls();

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
CWnd* AfxGetMainWnd();

// The application name as derived from the program file: its name without directory and last
// extension.
std::string DeriveApplicationName(HINSTANCE instance);

} // namespace wrenquil
