#include "box_text.h"

#include "core/code_page.h"

namespace wrenquil {

std::optional<std::string> BoxText(HWND dialog, CWnd& box, const std::string& what) {
    std::optional<std::string> text = box.GetWindowTextInCodePage();
    if (!text) {
        ::MessageBoxA(dialog, NotInCodePageText(what).c_str(), "Info", MB_OK);
        box.SetFocus();
    }
    return text;
}

} // namespace wrenquil
