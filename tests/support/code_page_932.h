// The Japanese code page (932) as the rules that walk bytes meet it: its lead bytes, and text
// written in it.
#pragma once

#include <string>

namespace wrenquil {

inline bool Cp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The full-width digits, two bytes each: "０" is 82 4F.
inline std::string FullWidthDigits(const std::string& digits) {
    std::string text;
    for (const char digit : digits) {
        text += digit == ' ' ? std::string(" ") : std::string{'\x82', char(0x4F + digit - '0')};
    }
    return text;
}

// ソ is 83 5C: its trail byte is a backslash.
inline constexpr char SO[] = "\x83\x5C";

} // namespace wrenquil
