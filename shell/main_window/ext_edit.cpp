#include "ext_edit.h"

#include <iterator>

namespace wrenquil {
namespace {

using Rows = MessageRows<CExtEdit>;

} // namespace

const MessageMapEntry CExtEdit::messageEntries[] = {
    Rows::OnMessage(WM_CHAR, &CExtEdit::OnChar),
    Rows::OnMessage(WM_KEYDOWN, &CExtEdit::OnKeyDown),
};
const MessageMap CExtEdit::messageMap{&CEdit::messageMap, messageEntries,
                                      std::size(messageEntries)};

const MessageMap* CExtEdit::GetMessageMap() const {
    return &messageMap;
}

LRESULT CExtEdit::OnChar(WPARAM character, LPARAM) {
    constexpr WPARAM CTRL_A = 1;
    if (character == CTRL_A) {
        SendMessage(EM_SETSEL, 0, -1);
        SendMessage(EM_SCROLLCARET, 0, 0);
        return 0;
    }
    if (character == VK_ESCAPE) {
        return 0; // handled at the key press
    }
    return Default();
}

// A multi-line edit answers Esc by closing its dialog, which would end the program and lose
// the typed message; the dialog's Cancel minimises instead.
LRESULT CExtEdit::OnKeyDown(WPARAM key, LPARAM) {
    if (key == VK_ESCAPE) {
        ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hWnd));
        return 0;
    }
    return Default();
}

} // namespace wrenquil
