#include "hot_key.h"

namespace wrenquil {

std::uint32_t PackHotKey(std::uint16_t virtualKey, std::uint16_t modifiers) {
    return (std::uint32_t{modifiers} << 16) | virtualKey;
}

HotKey UnpackHotKey(std::uint32_t packed, HotKey inForce) {
    if (packed == 0) {
        return inForce;
    }
    return {static_cast<std::uint16_t>(packed & 0xFFFFu), static_cast<std::uint16_t>(packed >> 16)};
}

} // namespace wrenquil
