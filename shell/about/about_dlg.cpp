#include "about_dlg.h"

#include "framework/shell_api.h"
#include "hyperlink.h"
#include "res/resource.h"

#include <shellapi.h>

#include <iterator>

namespace wrenquil {

CAboutDlg::ShellExecuteFunction CAboutDlg::shellExecute = &ShellExecuteA;

const MessageMapEntry CAboutDlg::messageEntries[] = {
    OnNotification(STN_CLICKED, IDC_HOMEPAGE, &CAboutDlg::OpenHomePage),
};
const MessageMap CAboutDlg::messageMap{&CDialog::messageMap, messageEntries,
                                       std::size(messageEntries)};

const MessageMap* CAboutDlg::GetMessageMap() const {
    return &messageMap;
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDC_HOMEPAGE, homePage_);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ConvertStaticToHyperlink(homePage_.m_hWnd);
    return TRUE;
}

// The box stays open.
void CAboutDlg::OpenHomePage() {
    shellExecute(nullptr, "open", kHomePageAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace wrenquil
