// The About box: name, version, copyright, the maker's home page as a link, the disclaimer.
#pragma once

#include "framework/dialog.h"

namespace wrenquil {

inline constexpr char kHomePageAddress[] = "http://www.halvory.com/wrenquil/index.html?from=about";

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

    // How the home page is opened; tests put their own in its place.
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static ShellExecuteFunction shellExecute;

private:
    BOOL OnInitDialog() override;
    void OpenHomePage();
    static const MessageMapEntry messageEntries[];
};

} // namespace wrenquil
