// Owners for the system's handles: each closes its handle once, when it goes.
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

} // namespace wrenquil
