// Thin wrappers over the controls the program uses.
#pragma once

#include "owned_handle.h"
#include "wnd.h"

#include <commctrl.h>

#include <string>

namespace wrenquil {

class CEdit : public CWnd {
public:
    void LimitText(int limit) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(limit), 0); }
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, start, end); }
    void ReplaceSel(const char* text, BOOL canUndo = FALSE) {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
};

class CButton : public CWnd {};

class CStatic : public CWnd {
public:
    // Shows the bitmap resource, drawn for 96 dpi, stretched to the display's scale.
    void SetBitmapAtScale(int bitmapId);

private:
    OwnedBitmap m_scaledBitmap;
};

class CStatusBarCtrl : public CWnd {
public:
    ~CStatusBarCtrl() override;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetMinHeight(int height) { SendMessage(SB_SETMINHEIGHT, height, 0); }
    BOOL SetParts(int count, const int* rightEdges) {
        return static_cast<BOOL>(
            SendMessage(SB_SETPARTS, count, reinterpret_cast<LPARAM>(rightEdges)));
    }
    BOOL SetText(const char* text, int part, int type) {
        return static_cast<BOOL>(
            SendMessage(SB_SETTEXTA, part | type, reinterpret_cast<LPARAM>(text)));
    }
};

class CHotKeyCtrl : public CWnd {
public:
    void SetHotKey(WORD virtualKey, WORD modifiers) {
        SendMessage(HKM_SETHOTKEY, MAKEWORD(virtualKey, modifiers), 0);
    }
    DWORD GetHotKey() const { return static_cast<DWORD>(SendMessage(HKM_GETHOTKEY)); }
};

} // namespace wrenquil
