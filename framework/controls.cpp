#include "controls.h"

namespace wrenquil {

bool CStatusBarCtrl::failNextCreate = false;

CStatic::~CStatic() {
    if (scaledBitmap_ != nullptr) {
        ::DeleteObject(scaledBitmap_);
    }
}

void CStatic::SetBitmapAtScale(int bitmapId) {
    HDC dc = ::GetDC(m_hWnd);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(m_hWnd, dc);
    if (dpi == USER_DEFAULT_SCREEN_DPI || scaledBitmap_ != nullptr) {
        return;
    }
    // The picture the control shows now is the resource at its own size.
    BITMAP original{};
    const auto shown = reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP));
    if (shown == nullptr || ::GetObjectA(shown, sizeof original, &original) == 0) {
        return;
    }
    scaledBitmap_ = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP,
                     ::MulDiv(original.bmWidth, dpi, USER_DEFAULT_SCREEN_DPI),
                     ::MulDiv(original.bmHeight, dpi, USER_DEFAULT_SCREEN_DPI), 0));
    if (scaledBitmap_ == nullptr) {
        return; // the picture stays at its own size
    }
    // The static control leaves the picture it loaded itself to whoever replaces it.
    SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaledBitmap_));
    ::DeleteObject(shown);
}

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
