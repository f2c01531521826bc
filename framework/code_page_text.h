// The program keeps text in the system's ANSI code page; the windows hold it in UTF-16.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace wrenquil {

// The text in the code page; none when one of its characters has no place there (typed, or
// pasted from a program that is not bound to the code page).
std::optional<std::string> InCodePage(const std::wstring& text);
std::wstring FromCodePage(const std::string& text);

inline bool IsCodePageLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

} // namespace wrenquil
