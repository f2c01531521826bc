#include "about_dlg.h"

#include "hyperlink.h"
#include "res/resource.h"

#include <shellapi.h>

#include <iterator>

namespace wrenquil {
namespace {

using Rows = MessageRows<CAboutDlg>;

} // namespace

const MessageMapEntry CAboutDlg::messageEntries[] = {
    Rows::OnNotification(STN_CLICKED, IDC_HOMEPAGE, &CAboutDlg::OpenHomePage),
};
const MessageMap CAboutDlg::messageMap{&CDialog::messageMap, messageEntries,
                                       std::size(messageEntries)};

const MessageMap* CAboutDlg::GetMessageMap() const {
    return &messageMap;
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ConvertStaticToHyperlink(GetDlgItem(IDC_HOMEPAGE));
    return TRUE;
}

// The box stays open.
void CAboutDlg::OpenHomePage() {
    ::ShellExecuteA(nullptr, "open", HOME_PAGE_ADDRESS, nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace wrenquil
