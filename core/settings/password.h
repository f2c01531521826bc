// The stored password's scrambling: each byte is chained to the one before it, so the stored
// bytes do not show the password at a glance. It is no encryption.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wrenquil {

inline constexpr std::uint8_t PASSWORD_SCRAMBLE_SEED = 0xA7;

std::vector<std::uint8_t> ScramblePassword(std::string_view password);
std::string UnscramblePassword(const std::vector<std::uint8_t>& scrambled);

} // namespace wrenquil
