// The Login dialog: a user name and a password, both required, kept in the login record.
// It ends with 0 when accepted and 1 when cancelled.
#pragma once

#include "core/login_state.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace wrenquil {

class CLoginDlg : public CDialog {
public:
    explicit CLoginDlg(LoginState& state);

private:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override { EndDialog(1); }

    LoginState& login;
    CEdit userNameEdit;
    CEdit passwordEdit;
};

} // namespace wrenquil
