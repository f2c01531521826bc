#include "wnd.h"

#include <exception>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace wrenquil {
namespace {

// Which object a subclassed window belongs to, and the procedure it had before. Kept in the
// process, so a message costs no system call to find its object.
struct Subclass {
    CWnd* object; // null once the object has let go while another procedure sat on top of ours
    WNDPROC original;
};
std::mutex subclassesMutex;
std::unordered_map<HWND, Subclass> subclasses;

bool FindSubclass(HWND window, Subclass* found) {
    const std::lock_guard<std::mutex> lock(subclassesMutex);
    const auto it = subclasses.find(window);
    if (it == subclasses.end()) {
        return false;
    }
    *found = it->second;
    return true;
}

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
    if (window == nullptr || ::IsWindow(window) == FALSE) {
        return false;
    }
    {
        const std::lock_guard<std::mutex> lock(subclassesMutex);
        if (subclasses.count(window) != 0) {
            return false; // one object per window
        }
        subclasses[window] = {this, nullptr};
    }
    // 64-bit: the pointer-sized call, never the 32-bit GWL_WNDPROC one.
    originalProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    const std::lock_guard<std::mutex> lock(subclassesMutex);
    if (originalProc_ == nullptr) {
        subclasses.erase(window);
        return false;
    }
    subclasses[window].original = originalProc_;
    m_hWnd = window;
    return true;
}

// Puts the original procedure back only while ours is the one on top: replacing a later
// subclasser's procedure would cut it out of the chain. Otherwise our procedure stays in the
// chain and just passes messages on until the window is destroyed.
void CWnd::Detach() {
    if (m_hWnd != nullptr && originalProc_ != nullptr) {
        const bool onTop = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) ==
                           &CWnd::SubclassProc;
        if (onTop) {
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
        }
        const std::lock_guard<std::mutex> lock(subclassesMutex);
        const auto it = subclasses.find(m_hWnd);
        if (it != subclasses.end() && it->second.object == this) {
            if (onTop) {
                subclasses.erase(it);
            } else {
                it->second.object = nullptr;
            }
        }
    }
    originalProc_ = nullptr;
    m_hWnd = nullptr;
}

void CWnd::Forget() {
    {
        const std::lock_guard<std::mutex> lock(subclassesMutex);
        subclasses.erase(m_hWnd);
    }
    originalProc_ = nullptr;
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Subclass subclass{};
    if (!FindSubclass(window, &subclass)) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    CWnd* self = subclass.object;
    if (self == nullptr) {
        const LRESULT passed =
            ::CallWindowProcA(subclass.original, window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            const std::lock_guard<std::mutex> lock(subclassesMutex);
            subclasses.erase(window);
        }
        return passed;
    }
    const Message outer = self->current_;
    self->current_ = {message, wParam, lParam};
    LRESULT result = 0;
    if (message == WM_NCDESTROY) {
        result = self->Default();
        self->Forget(); // the handle may name another window from now on
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
