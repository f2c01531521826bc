// The capture hot key as the registry stores it: modifiers in the high word, key in the low.
#pragma once

#include <cstdint>

namespace wrenquil {

struct HotKey {
    std::uint16_t virtualKey;
    std::uint16_t
        modifiers; // HOTKEYF_SHIFT 0x01, HOTKEYF_CONTROL 0x02, HOTKEYF_ALT 0x04, HOTKEYF_EXT 0x08
};

inline constexpr std::uint8_t SCROLL_LOCK_KEY = 0x91;         // VK_SCROLL
inline constexpr HotKey BUILT_IN_HOT_KEY{SCROLL_LOCK_KEY, 0}; // no modifiers

std::uint32_t PackHotKey(std::uint16_t virtualKey, std::uint16_t modifiers);
// A packed 0 means "none chosen": the hot key in force stays.
HotKey UnpackHotKey(std::uint32_t packed, HotKey inForce);

} // namespace wrenquil
