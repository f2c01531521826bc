#include "controls.h"

namespace wrenquil {

// Made by this object, so destroyed by it, unless its parent has destroyed it already (the
// object then forgot it).
CStatusBarCtrl::~CStatusBarCtrl() {
    if (m_hWnd != nullptr) {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CStatusBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    HWND window = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent->m_hWnd,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr && !SubclassWindow(window)) {
        ::DestroyWindow(window);
        return FALSE;
    }
    return window != nullptr;
}

} // namespace wrenquil
