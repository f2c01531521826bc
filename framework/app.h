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

    // Directs the program's settings to HKEY_CURRENT_USER\Software\<company>\<application>.
    void SetRegistryKey(const char* company) { registryKey_ = company; }
    const std::string& RegistryKey() const { return registryKey_; }
    const std::string& ApplicationName() const { return appName_; }

    // Commands no window handles: the standard Help command, for which no help file ships.
    bool OnCmdMsg(UINT id);

    // Error mode, application name, common controls, then InitInstance.
    int Run(HINSTANCE instance);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    void OnHelp() {}

    std::string appName_;
    std::string registryKey_;
};

inline constexpr UINT ID_HELP = 0xE146;

// Registers the common-control classes the program's windows use (status bar, hot-key control).
void RegisterCommonControls();

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
CWnd* AfxGetMainWnd();

// The application name as derived from the program file: its name without directory and last
// extension, unless the application-title string resource (57344) names it.
std::string DeriveApplicationName(HINSTANCE instance);

} // namespace wrenquil
