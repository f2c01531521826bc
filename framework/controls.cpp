#include "controls.h"

namespace wrenquil {

bool CStatusBarCtrl::failNextCreate = false;

CStatusBarCtrl::~CStatusBarCtrl() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CStatusBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (failNextCreate) {
        failNextCreate = false;
        return FALSE;
    }
    m_hWnd = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent->m_hWnd,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                               ::GetModuleHandleA(nullptr), nullptr);
    return m_hWnd != nullptr;
}

} // namespace wrenquil
