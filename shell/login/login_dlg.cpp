#include "login_dlg.h"

#include "res/resource.h"
#include "shell/box_text.h"

namespace wrenquil {

CLoginDlg::CLoginDlg(LoginState& state) : CDialog(IDD_LOGIN), login(state) {}

void CLoginDlg::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDC_USERNAME, userNameEdit);
    DDX_Control(exchange, IDC_PASSWORD, passwordEdit);
}

BOOL CLoginDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    userNameEdit.SetWindowText(login.userName);
    passwordEdit.SetWindowText("");
    // A user who has no name here yet types it first, and must not type it masked.
    if (login.userName.empty()) {
        userNameEdit.SetFocus();
    } else {
        passwordEdit.SetFocus();
    }
    return FALSE; // the focus is set
}

void CLoginDlg::OnOK() {
    if (userNameEdit.GetWindowTextLength() == 0) {
        ::MessageBoxA(m_hWnd, "Enter Username", "Info", MB_OK);
        userNameEdit.SetFocus();
        return;
    }
    if (passwordEdit.GetWindowTextLength() == 0) {
        ::MessageBoxA(m_hWnd, "Enter Password", "Info", MB_OK);
        passwordEdit.SetFocus();
        return;
    }
    const std::optional<std::string> userName = BoxText(m_hWnd, userNameEdit, "user name");
    const std::optional<std::string> password =
        userName ? BoxText(m_hWnd, passwordEdit, "password") : std::nullopt;
    if (!password) {
        return;
    }
    login.userName = *userName;
    login.password = *password;
    EndDialog(0);
}

} // namespace wrenquil
