#include "hyperlink.h"

#include "framework/owned_handle.h"

#include <commctrl.h>

namespace wrenquil {
namespace {

constexpr COLORREF LINK_COLOUR = RGB(0, 0, 192); // a dark blue
constexpr UINT_PTR LINK_SUBCLASS = 1;
// Marks the statics that are links, for their parent.
constexpr char FROM_STATIC_PROPERTY[] = "_Hyperlink_From_Static_";

// What a link keeps from its conversion until it is destroyed.
struct Link {
    HFONT originalFont; // the control's, not ours
    OwnedFont underlineFont;
};

bool IsLink(HWND control) {
    return ::GetPropA(control, FROM_STATIC_PROPERTY) != nullptr;
}

void SetFontAndRepaint(HWND control, HFONT font) {
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    ::InvalidateRect(control, nullptr, FALSE);
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
        if (IsLink(reinterpret_cast<HWND>(lParam))) {
            const LRESULT brush = ::DefSubclassProc(window, message, wParam, lParam);
            ::SetTextColor(reinterpret_cast<HDC>(wParam), LINK_COLOUR);
            return brush;
        }
        break;
    case WM_DESTROY:
        ::RemoveWindowSubclass(window, &ParentProc, LINK_SUBCLASS);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR linkData) {
    auto* link = reinterpret_cast<Link*>(linkData);
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
            SetFontAndRepaint(window, link->underlineFont.get());
            ::SetCapture(window);
        } else {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(window, &point);
            RECT rect;
            ::GetWindowRect(window, &rect);
            if (!::PtInRect(&rect, point)) {
                SetFontAndRepaint(window, link->originalFont);
                ::ReleaseCapture();
            }
        }
        break;
    case WM_DESTROY:
        ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(link->originalFont), 0);
        ::RemovePropA(window, FROM_STATIC_PROPERTY);
        ::RemoveWindowSubclass(window, &ControlProc, LINK_SUBCLASS);
        delete link; // with its underlined font
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

// The parent's subclass is one whatever number of its statics become links.
BOOL ConvertStaticToHyperlink(HWND control) {
    if (HWND parent = ::GetParent(control); parent != nullptr) {
        ::SetWindowSubclass(parent, &ParentProc, LINK_SUBCLASS, 0);
    }
    ::SetWindowLongPtrA(control, GWL_STYLE, ::GetWindowLongPtrA(control, GWL_STYLE) | SS_NOTIFY);
    const auto font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA description{};
    ::GetObjectA(font, sizeof description, &description);
    description.lfUnderline = TRUE;
    auto* link = new Link{font, OwnedFont(::CreateFontIndirectA(&description))};
    if (!::SetWindowSubclass(control, &ControlProc, LINK_SUBCLASS,
                             reinterpret_cast<DWORD_PTR>(link))) {
        delete link;
        return TRUE;
    }
    ::SetPropA(control, FROM_STATIC_PROPERTY, reinterpret_cast<HANDLE>(1));
    return TRUE;
}

} // namespace wrenquil
