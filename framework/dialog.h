// Modal dialogs from resource templates, with data exchange between fields and controls.
#pragma once

#include "wnd.h"

namespace wrenquil {

class CDialog;

// One direction of a data exchange: to the controls, or (saveAndValidate) from them.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    HWND Control(int id) const;

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds a wrapper to a template control, once.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
// 0 clear, 1 ticked.
void DDX_Check(CDataExchange* exchange, int id, int& value);

// What a dialog with a minimise box paints while minimised: its icon in the middle. Gives 0.
LRESULT PaintMinimisedIcon(HWND window, HICON icon);

class CDialog : public CWnd {
public:
    // Run over the application's main window, if any.
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}

    // Runs the dialog until it ends; -1 when it could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }
    void UpdateData(BOOL saveAndValidate = TRUE);
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

protected:
    // WM_INITDIALOG: exchanges data towards the controls; TRUE gives the focus to the first
    // tab stop.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* exchange);
    // IDOK and IDCANCEL, whatever sends them (buttons, Enter, Esc, the close box).
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_templateId;

private:
    static INT_PTR CALLBACK StartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static const MessageMapEntry messageEntries[];
};

} // namespace wrenquil
