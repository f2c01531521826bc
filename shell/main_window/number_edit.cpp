#include "number_edit.h"

#include "core/number_paste.h"
#include "framework/code_page_text.h"

#include <cstdio>
#include <iterator>
#include <optional>

namespace wrenquil {
namespace {

using Rows = MessageRows<CNumberEdit>;

constexpr UINT_PTR BALLOON_TIMER = 0x4E42; // the edit control's own timers use small numbers
constexpr UINT BALLOON_MILLISECONDS = 10000;
constexpr int BALLOON_WIDTH = 300; // pixels, so the text wraps

// The clipboard's text as the box would paste it: the clipboard's own Unicode text, so no
// code page of the copying program's keyboard stands in between.
std::optional<std::wstring> ClipboardText(HWND owner) {
    if (!::OpenClipboard(owner)) {
        return std::nullopt;
    }
    std::optional<std::wstring> text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data)); chars != nullptr) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

} // namespace

const MessageMapEntry CNumberEdit::messageEntries[] = {
    Rows::OnMessage(WM_PASTE, &CNumberEdit::OnPaste),
    Rows::OnMessage(WM_KEYDOWN, &CNumberEdit::OnKeyDown),
    Rows::OnMessage(WM_TIMER, &CNumberEdit::OnTimer),
    Rows::OnMessage(WM_LBUTTONDOWN, &CNumberEdit::HideBalloonThenDefault),
    Rows::OnMessage(WM_KILLFOCUS, &CNumberEdit::HideBalloonThenDefault),
};
const MessageMap CNumberEdit::messageMap{&CEdit::messageMap, messageEntries,
                                         std::size(messageEntries)};

const MessageMap* CNumberEdit::GetMessageMap() const {
    return &messageMap;
}

// Lengths in characters, as the box's limit counts them.
LRESULT CNumberEdit::OnPaste(WPARAM, LPARAM) {
    const std::optional<std::wstring> clipboard = ClipboardText(m_hWnd);
    if (!clipboard) {
        return Default(); // no text to paste
    }
    HideBalloon();
    const std::optional<std::string> pasted = InCodePage(*clipboard);
    if (!pasted) {
        ShowBalloon("Nothing pasted", NotInCodePageText("pasted number"));
        return 0;
    }
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    const auto keptLength =
        static_cast<std::size_t>(::GetWindowTextLengthW(m_hWnd)) - (end - start);
    const auto limit = static_cast<std::size_t>(SendMessage(EM_GETLIMITTEXT));
    if (const std::optional<std::string> inserted =
            FitPastedNumber(*pasted, keptLength, limit, IsCodePageLeadByte)) {
        ReplaceSel(inserted->c_str(), TRUE); // undoable, and the box reports the change
        return 0;
    }
    char text[200];
    std::snprintf(text, sizeof text,
                  "The mobile number box takes at most %zu characters. Even without its spaces "
                  "and separators, the pasted number does not fit, so nothing was pasted.",
                  limit);
    ShowBalloon("Number too long", text);
    return 0;
}

// Shift+Insert pastes too; sent as WM_PASTE, it meets the same rule as Ctrl+V.
LRESULT CNumberEdit::OnKeyDown(WPARAM key, LPARAM) {
    HideBalloon();
    if (key == VK_INSERT && (::GetKeyState(VK_SHIFT) & 0x8000) != 0 &&
        (::GetKeyState(VK_CONTROL) & 0x8000) == 0) {
        SendMessage(WM_PASTE);
        return 0;
    }
    return Default();
}

LRESULT CNumberEdit::OnTimer(WPARAM id, LPARAM) {
    if (id != BALLOON_TIMER) {
        return Default();
    }
    HideBalloon();
    return 0;
}

LRESULT CNumberEdit::HideBalloonThenDefault(WPARAM, LPARAM) {
    HideBalloon();
    return Default();
}

void CNumberEdit::ShowBalloon(const std::string& title, const std::string& text) {
    const std::wstring wideTitle = FromCodePage(title);
    const std::wstring wideText = FromCodePage(text);
    EDITBALLOONTIP tip{sizeof tip, wideTitle.c_str(), wideText.c_str(), TTI_WARNING};
    if (SendMessage(EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip)) != FALSE) {
        return;
    }
    HWND dialog = ::GetParent(m_hWnd);
    if (m_balloon == nullptr || !::IsWindow(m_balloon)) {
        m_balloon = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                      WS_POPUP | TTS_NOPREFIX | TTS_BALLOON | TTS_ALWAYSTIP, 0, 0,
                                      0, 0, dialog, nullptr, nullptr, nullptr);
        if (m_balloon == nullptr) {
            return;
        }
        ::SendMessageA(m_balloon, TTM_SETMAXTIPWIDTH, 0, BALLOON_WIDTH);
    }
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_IDISHWND;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.lpszText = const_cast<char*>(text.c_str());
    ::SendMessageA(m_balloon, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageA(m_balloon, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageA(m_balloon, TTM_SETTITLEA, TTI_WARNING, reinterpret_cast<LPARAM>(title.c_str()));
    RECT box;
    ::GetWindowRect(m_hWnd, &box);
    ::SendMessageA(m_balloon, TTM_TRACKPOSITION, 0,
                   MAKELPARAM((box.left + box.right) / 2, box.bottom));
    ::SendMessageA(m_balloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    ::SetTimer(m_hWnd, BALLOON_TIMER, BALLOON_MILLISECONDS, nullptr);
}

void CNumberEdit::HideBalloon() {
    SendMessage(EM_HIDEBALLOONTIP);
    if (m_balloon != nullptr && ::IsWindowVisible(m_balloon)) {
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = ::GetParent(m_hWnd);
        tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        ::SendMessageA(m_balloon, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
        ::KillTimer(m_hWnd, BALLOON_TIMER);
    }
}

} // namespace wrenquil
