#include "wnd.h"

#include "code_page_text.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <vector>

namespace wrenquil {
namespace {

const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, WPARAM wParam) {
    for (; map != nullptr; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const MessageMapEntry& e = map->entries[i];
            if (e.message == message &&
                (message != WM_COMMAND ||
                 (e.id == LOWORD(wParam) && e.notification == HIWORD(wParam)))) {
                return &e;
            }
        }
    }
    return nullptr;
}

} // namespace

const MessageMap CWnd::messageMap{nullptr, nullptr, 0};

const MessageMap* CWnd::GetMessageMap() const {
    return &messageMap;
}

// The system takes this object's link out of the window's chain wherever it stands in it.
CWnd::~CWnd() {
    if (m_hWnd != nullptr) {
        ::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, reinterpret_cast<UINT_PTR>(this));
    }
}

std::string CWnd::GetWindowText() const {
    std::vector<char> text(static_cast<std::size_t>(GetWindowTextLength()) + 1);
    const int length = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

std::optional<std::string> CWnd::GetWindowTextInCodePage() const {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        std::max(0, ::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size())))));
    return InCodePage(text);
}

// The subclass keeps the window as it was made, Unicode or not, so its text and characters
// are never converted on the way through.
bool CWnd::SubclassWindow(HWND window) {
    if (window == nullptr ||
        !::SetWindowSubclass(window, &CWnd::SubclassProc, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_hWnd = window;
    return true;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR object) {
    auto* self = reinterpret_cast<CWnd*>(object);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, &CWnd::SubclassProc, id);
        self->m_hWnd = nullptr; // the handle may name another window from now on
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    const Message outer = self->m_current;
    self->m_current = {message, wParam, lParam};
    const LRESULT result = self->WindowProc(message, wParam, lParam);
    self->m_current = outer;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) {
        return result;
    }
    return Default();
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MessageMapEntry* entry = FindEntry(GetMessageMap(), message, wParam);
    if (entry == nullptr) {
        return false;
    }
    *result = 0;
    try {
        if (entry->onMessage != nullptr) {
            *result = (this->*entry->onMessage)(wParam, lParam);
        } else {
            (this->*entry->onCommand)();
        }
    } catch (const std::exception& e) {
        ReportException(e.what());
    } catch (...) {
        ReportException("An unexpected error occurred.");
    }
    return true;
}

void CWnd::ReportException(const char* text) {
    ::MessageBoxA(m_hWnd, text, "Error", MB_OK | MB_ICONERROR);
}

LRESULT CWnd::Default() {
    return ::DefSubclassProc(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

} // namespace wrenquil
