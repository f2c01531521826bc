// The user's preferences: one record for the whole run, loaded at start and written only when
// the Preferences dialog is accepted.
#pragma once

#include "hot_key.h"

#include <cstdint>

namespace wrenquil {

struct Preferences {
    // Switches: 0 off, any other value on.
    std::int32_t StartMinimized = 0;
    std::int32_t MinimizeToTray = 1;
    std::int32_t AlwaysShowIcon = 0;
    std::int32_t AutoLogon = 0;
    std::int32_t RunAtStartup = 0;
    // The capture hot key; modifiers in the hot-key control's encoding. Scroll Lock until
    // another key is stored.
    std::uint16_t HotKeyVirtualKey = BUILT_IN_HOT_KEY.virtualKey;
    std::uint16_t HotKeyModifiers = 0;
};

} // namespace wrenquil
