#include "password.h"

namespace wrenquil {

std::vector<std::uint8_t> ScramblePassword(std::string_view password) {
    std::vector<std::uint8_t> scrambled;
    scrambled.reserve(password.size());
    std::uint8_t running = PASSWORD_SCRAMBLE_SEED;
    for (char c : password) {
        running ^= static_cast<std::uint8_t>(c);
        scrambled.push_back(running);
    }
    return scrambled;
}

std::string UnscramblePassword(const std::vector<std::uint8_t>& scrambled) {
    std::string password;
    password.reserve(scrambled.size());
    std::uint8_t previous = PASSWORD_SCRAMBLE_SEED;
    for (std::uint8_t s : scrambled) {
        password.push_back(static_cast<char>(s ^ previous));
        previous = s;
    }
    return password;
}

} // namespace wrenquil
