#include "hyperlink.h"

#include "framework/owned_handle.h"

namespace wrenquil {
namespace {

WNDPROC OriginalProc(HWND window) {
    return reinterpret_cast<WNDPROC>(::GetPropA(window, kOriginalProcProperty));
}

// 64-bit: the pointer-sized calls, never the 32-bit GWL_WNDPROC ones.
WNDPROC ReplaceProc(HWND window, WNDPROC proc) {
    return reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

HANDLE Property(HWND window, const char* name) {
    return ::GetPropA(window, name);
}

void SetFontAndRepaint(HWND control, const char* fontProperty) {
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(Property(control, fontProperty)),
                   0);
    ::InvalidateRect(control, nullptr, FALSE);
}

} // namespace

BOOL ConvertStaticToHyperlink(HWND control) {
    HWND parent = ::GetParent(control);
    if (parent != nullptr && reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(parent, GWLP_WNDPROC)) !=
                                 &HyperlinkParentProc) {
        ::SetPropA(parent, kOriginalProcProperty,
                   reinterpret_cast<HANDLE>(ReplaceProc(parent, &HyperlinkParentProc)));
    }
    ::SetWindowLongPtrA(control, GWL_STYLE, ::GetWindowLongPtrA(control, GWL_STYLE) | SS_NOTIFY);
    ::SetPropA(control, kOriginalProcProperty,
               reinterpret_cast<HANDLE>(ReplaceProc(control, &HyperlinkControlProc)));

    const auto font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    ::SetPropA(control, kOriginalFontProperty, font);
    LOGFONTA description{};
    ::GetObjectA(font, sizeof description, &description);
    description.lfUnderline = TRUE;
    // The property owns the font from here on; the control deletes it when it is destroyed.
    OwnedFont underline(::CreateFontIndirectA(&description));
    if (::SetPropA(control, kUnderlineFontProperty, underline.get())) {
        underline.release();
    }
    ::SetPropA(control, kFromStaticProperty, reinterpret_cast<HANDLE>(1));
    return TRUE;
}

LRESULT CALLBACK HyperlinkParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = OriginalProc(window);
    switch (message) {
    case WM_CTLCOLORSTATIC:
        if (Property(reinterpret_cast<HWND>(lParam), kFromStaticProperty) != nullptr) {
            const LRESULT brush = ::CallWindowProcA(previous, window, message, wParam, lParam);
            ::SetTextColor(reinterpret_cast<HDC>(wParam), kHyperlinkColour);
            return brush;
        }
        break;
    case WM_DESTROY:
        ReplaceProc(window, previous);
        ::RemovePropA(window, kOriginalProcProperty);
        break;
    default:
        break;
    }
    return ::CallWindowProcA(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK HyperlinkControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = OriginalProc(window);
    switch (message) {
    case WM_SETCURSOR: {
        HCURSOR cursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
        if (cursor == nullptr) {
            cursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        }
        ::SetCursor(cursor);
        return TRUE;
    }
    case WM_MOUSEMOVE:
        if (::GetCapture() != window) {
            SetFontAndRepaint(window, kUnderlineFontProperty);
            ::SetCapture(window);
        } else {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(window, &point);
            RECT rect;
            ::GetWindowRect(window, &rect);
            if (!::PtInRect(&rect, point)) {
                SetFontAndRepaint(window, kOriginalFontProperty);
                ::ReleaseCapture();
            }
        }
        break;
    case WM_DESTROY: {
        ReplaceProc(window, previous);
        ::RemovePropA(window, kOriginalProcProperty);
        ::SendMessageA(window, WM_SETFONT,
                       reinterpret_cast<WPARAM>(Property(window, kOriginalFontProperty)), 0);
        ::RemovePropA(window, kOriginalFontProperty);
        const OwnedFont underline(
            static_cast<HFONT>(::RemovePropA(window, kUnderlineFontProperty)));
        ::RemovePropA(window, kFromStaticProperty);
        break;
    }
    default:
        break;
    }
    return ::CallWindowProcA(previous, window, message, wParam, lParam);
}

} // namespace wrenquil
