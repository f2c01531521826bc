#include "dialog.h"

#include "app.h"

#include <exception>
#include <iterator>

namespace wrenquil {

HWND CDataExchange::Control(int id) const {
    return m_pDlgWnd->GetDlgItem(id);
}

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) {
        control.SubclassWindow(exchange->Control(id));
    }
}

void DDX_Check(CDataExchange* exchange, int id, int& value) {
    HWND control = exchange->Control(id);
    if (exchange->m_bSaveAndValidate) {
        value = ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    } else {
        ::SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

LRESULT PaintMinimisedIcon(HWND window, HICON icon) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    ::SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(window, &client);
    ::DrawIcon(dc, (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2,
               (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2, icon);
    ::EndPaint(window, &paint);
    return 0;
}

const MessageMapEntry CDialog::messageEntries[] = {
    MessageRows<CDialog>::OnCommand(IDOK, &CDialog::OnOK),
    MessageRows<CDialog>::OnCommand(IDCANCEL, &CDialog::OnCancel),
};
const MessageMap CDialog::messageMap{&CWnd::messageMap, messageEntries, std::size(messageEntries)};

const MessageMap* CDialog::GetMessageMap() const {
    return &messageMap;
}

INT_PTR CDialog::DoModal() {
    CWnd* main = AfxGetMainWnd();
    HWND owner = main != nullptr && main != this ? main->m_hWnd : nullptr;
    return ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                             &CDialog::StartProc, reinterpret_cast<LPARAM>(this));
}

// The dialog procedure proper only starts the dialog: from WM_INITDIALOG on, the window is
// subclassed and its messages go through the message table.
INT_PTR CALLBACK CDialog::StartProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* self = reinterpret_cast<CDialog*>(lParam);
    self->SubclassWindow(window);
    try {
        return self->OnInitDialog();
    } catch (const std::exception& e) {
        self->ReportException(e.what());
    }
    return TRUE;
}

void CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

} // namespace wrenquil
