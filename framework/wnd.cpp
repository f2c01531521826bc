#include "wnd.h"

#include "app.h"

#include <exception>
#include <vector>

namespace wrenquil {
namespace {

constexpr char kWrapperProperty[] = "WrenquilWindowObject";

const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, WPARAM wParam) {
    for (; map != nullptr; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const MessageMapEntry& e = map->entries[i];
            if (e.registeredMessage != nullptr) {
                if (*e.registeredMessage != 0 && *e.registeredMessage == message) {
                    return &e;
                }
            } else if (e.message == message &&
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

CWnd::~CWnd() {
    Detach();
}

std::string CWnd::GetWindowText() const {
    std::vector<char> text(static_cast<std::size_t>(GetWindowTextLength()) + 1);
    const int length = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

bool CWnd::SubclassWindow(HWND window) {
    if (window == nullptr || !::SetPropA(window, kWrapperProperty, this)) {
        return false;
    }
    m_hWnd = window;
    // 64-bit: the pointer-sized call, never the 32-bit GWL_WNDPROC one.
    originalProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return originalProc_ != nullptr;
}

void CWnd::Detach() {
    if (m_hWnd != nullptr && originalProc_ != nullptr && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
        ::RemovePropA(m_hWnd, kWrapperProperty);
    }
    originalProc_ = nullptr;
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CWnd*>(::GetPropA(window, kWrapperProperty));
    if (self == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    const Message outer = self->current_;
    self->current_ = {message, wParam, lParam};
    LRESULT result = 0;
    if (message == WM_NCDESTROY) {
        result = self->Default();
        self->Detach();
        return result;
    }
    result = self->WindowProc(message, wParam, lParam);
    self->current_ = outer;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) {
        return result;
    }
    // Menu commands no window handles go to the application's own command table.
    if (message == WM_COMMAND && HIWORD(wParam) == 0 && AfxGetApp() != nullptr &&
        AfxGetApp()->OnCmdMsg(LOWORD(wParam))) {
        return 0;
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
    return ::CallWindowProcA(originalProc_, m_hWnd, current_.message, current_.wParam,
                             current_.lParam);
}

} // namespace wrenquil
