#include "login_dlg.h"

#include "res/resource.h"

namespace wrenquil {

CLoginDlg::CLoginDlg(LoginState& login) : CDialog(IDD_LOGIN), login_(login) {}

void CLoginDlg::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDC_USERNAME, userNameEdit_);
    DDX_Control(exchange, IDC_PASSWORD, passwordEdit_);
}

BOOL CLoginDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    userNameEdit_.SetWindowText(login_.userName);
    passwordEdit_.SetWindowText("");
    // A user who has no name here yet types it first, and must not type it masked.
    if (login_.userName.empty()) {
        userNameEdit_.SetFocus();
    } else {
        passwordEdit_.SetFocus();
    }
    return FALSE; // the focus is set
}

void CLoginDlg::OnOK() {
    if (userNameEdit_.GetWindowTextLength() == 0) {
        ::MessageBoxA(m_hWnd, "Enter Username", "Info", MB_OK);
        userNameEdit_.SetFocus();
        return;
    }
    if (passwordEdit_.GetWindowTextLength() == 0) {
        ::MessageBoxA(m_hWnd, "Enter Password", "Info", MB_OK);
        passwordEdit_.SetFocus();
        return;
    }
    login_.userName = userNameEdit_.GetWindowText();
    login_.password = passwordEdit_.GetWindowText();
    EndDialog(0);
}

} // namespace wrenquil
