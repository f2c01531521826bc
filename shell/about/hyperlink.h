// Turns any static control into a hyperlink: coloured text, underlined while the pointer is
// over it, a hand cursor, and click notifications to its parent. Everything it needs lives in
// window properties, and it all goes again when the windows are destroyed.
#pragma once

#include <windows.h>

namespace wrenquil {

inline constexpr COLORREF kHyperlinkColour = RGB(0, 0, 192);

inline constexpr char kOriginalProcProperty[] = "_Hyperlink_Original_Proc_";
inline constexpr char kOriginalFontProperty[] = "_Hyperlink_Original_Font_";
inline constexpr char kUnderlineFontProperty[] = "_Hyperlink_Underline_Font_";
inline constexpr char kFromStaticProperty[] = "_Hyperlink_From_Static_";

// The control must carry a font. Returns TRUE.
BOOL ConvertStaticToHyperlink(HWND control);

LRESULT CALLBACK HyperlinkParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HyperlinkControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace wrenquil
