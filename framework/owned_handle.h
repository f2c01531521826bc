// Owners for the system's handles: each gives its handle back once, when it goes.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace wrenquil {

template <auto Release> struct ReleaseWith {
    template <typename Handle> void operator()(Handle handle) const noexcept { Release(handle); }
};

using OwnedMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, ReleaseWith<&::DestroyMenu>>;
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, ReleaseWith<&::DeleteObject>>;
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, ReleaseWith<&::DeleteObject>>;
using OwnedKernelHandle = std::unique_ptr<void, ReleaseWith<&::CloseHandle>>;

// A window's device context, with an object selected into it for as long as this lives.
class WindowDC {
public:
    explicit WindowDC(HWND window, HGDIOBJ selected = nullptr)
        : window_(window), dc_(::GetDC(window)),
          previous_(selected ? ::SelectObject(dc_, selected) : nullptr) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (previous_ != nullptr) {
            ::SelectObject(dc_, previous_);
        }
        ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace wrenquil
