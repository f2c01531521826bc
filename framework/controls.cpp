#include "controls.h"

namespace wrenquil {

void CStatic::SetBitmapAtScale(int bitmapId) {
    const int dpi = ::GetDeviceCaps(WindowDC(m_hWnd).get(), LOGPIXELSY);
    if (dpi == USER_DEFAULT_SCREEN_DPI || m_scaledBitmap != nullptr) {
        return;
    }
    // The picture the control shows now is the resource at its own size.
    BITMAP original{};
    const auto shown = reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP));
    if (shown == nullptr || ::GetObjectA(shown, sizeof original, &original) == 0) {
        return;
    }
    m_scaledBitmap.reset(static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP,
                     ::MulDiv(original.bmWidth, dpi, USER_DEFAULT_SCREEN_DPI),
                     ::MulDiv(original.bmHeight, dpi, USER_DEFAULT_SCREEN_DPI), 0)));
    if (m_scaledBitmap == nullptr) {
        return; // the picture stays at its own size
    }
    // The static control leaves the picture it loaded itself to whoever replaces it.
    SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_scaledBitmap.get()));
    ::DeleteObject(shown);
}

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
